#!/usr/bin/env bash
# Runs a test command and passes on its output and status. When LeakSanitizer's own tracer
# crashed while checking for leaks at a program's exit ("Tracer caught signal"), which is neither
# a leak nor a failed check of the test, the command runs once more and that run counts.
#
#   lsan-retry.sh COMMAND...
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for attempt in 1 2; do
    "$@" >"$out" 2>&1
    status=$?
    if ((attempt == 1)) && grep -q "Tracer caught signal" "$out" &&
        grep -q "LeakSanitizer has encountered a fatal error" "$out"; then
        echo "lsan-retry: LeakSanitizer's tracer crashed at exit; running the test once more"
        continue
    fi
    cat "$out"
    exit "$status"
done
