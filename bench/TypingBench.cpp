// Typing a long text into a text box one character at a time, as a script or a person does:
// KeyPress, the edit and Change for every character. The time per character must not grow
// with the text. Times are the thread's processor time, so other work on the machine does not
// change the figures:
//   ns_per_char    the time per character typing one text of 1,000,000 characters
//   vs_short_texts that time divided by the time per character typing the same number of
//                  characters as 100 texts of 10,000 in this process: about 1 when typing is
//                  linear (a little more as the long text outgrows the caches), about 100
//                  were it quadratic

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/HeadlessBackend.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <string>

namespace {

using namespace foliant;

class TypingForm : public forms::Form {
public:
    TypingForm() : Form("frmTyping") { SetClientSize(6000, 2000); }
    forms::TextBox& text = Add<forms::TextBox>("text", {120, 120, 5000, 315}, "1");
};

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Seconds to type `count` texts of `length` characters, each into an empty text box whose
// handlers look at the text the way a form's handlers do.
double SecondsToType(int count, int length) {
    const std::string typed(static_cast<std::size_t>(length), 'x');
    double seconds = 0;
    for (int i = 0; i < count; ++i) {
        TypingForm form;
        form.Show();
        long long seen = 0;
        form.text.KeyPress = [](int& key) { benchmark::DoNotOptimize(key); };
        form.text.Change = [&] { seen += form.text.SelStart(); };
        const double start = ThreadSeconds();
        form.text.UserType(typed);
        seconds += ThreadSeconds() - start;
        benchmark::DoNotOptimize(seen);
    }
    return seconds;
}

void BM_TypingAMillionCharacters(benchmark::State& state) {
    forms::BackendScope backend(std::make_shared<forms::HeadlessBackend>());
    double longTime = 0;
    double shortTime = 0;
    for (auto _ : state) {
        shortTime += SecondsToType(100, 10'000);
        const double seconds = SecondsToType(1, 1'000'000);
        longTime += seconds;
        state.SetIterationTime(seconds);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ns_per_char"] = longTime / n / 1'000'000 * 1e9;
    state.counters["vs_short_texts"] = longTime / shortTime;
}
BENCHMARK(BM_TypingAMillionCharacters)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
