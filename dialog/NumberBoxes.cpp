// The rules shared by the N and P boxes of the summaries and group-sorting pages: which keys
// they take, how a typed or pasted text is tidied, and when a text is a number.
#include "dialog/frmWizard.h"
#include "platform/forms/Backend.h"
#include "platform/forms/Utf8.h"
#include "resources/Resources.h"

#include <charconv>

namespace foliant::Wizard {

namespace {

constexpr int kWarningTitle = 128;
constexpr int kEnterAnInteger = 160;

bool IsBlank(char c) {
    return c == ' ';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

} // namespace

void ShowWarning(int stringId) {
    forms::MsgBox(resources::LoadResString(stringId), forms::vbOKOnly | forms::vbInformation,
                  resources::LoadResString(kWarningTitle));
}

void RefuseNonDigitKey(int& keyAscii) {
    if (keyAscii == forms::kKeyBack || (keyAscii >= '0' && keyAscii <= '9')) {
        return;
    }
    ShowWarning(kEnterAnInteger);
    keyAscii = ' ';
}

void TidyTypedNumber(forms::TextBox& box) {
    const std::string text = Trimmed(box.Text());
    const std::size_t blank = text.find(' ');
    if (blank == std::string::npos) {
        box.SetText(text);
        box.SetSelStart(forms::utf8::Length(text));
        return;
    }
    // A blank inside: keep the first two pieces, joined; the caret goes where the blank was.
    const std::string first = text.substr(0, blank);
    std::size_t secondBegin = blank;
    while (secondBegin < text.size() && IsBlank(text[secondBegin])) {
        ++secondBegin;
    }
    const std::size_t secondEnd = text.find(' ', secondBegin);
    box.SetText(first + text.substr(secondBegin, secondEnd - secondBegin));
    box.SetSelStart(forms::utf8::Length(first));
}

std::optional<int> WholeNumberIn(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
    }
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

bool ReadsAsNumber(const std::string& text) {
    const std::string t = Trimmed(text);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (IsDigit(t[i])) {
            digits = true;
        } else if (t[i] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

} // namespace foliant::Wizard
