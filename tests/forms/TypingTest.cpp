// Typing into a text as a person does, one character at a time: long texts, characters of
// several bytes, and texts whose bytes are not all whole UTF-8 characters.
#include "TestForm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

namespace foliant::forms {
namespace {

using testing::HeadlessScope;
using testing::TestForm;

class Typing : public ::testing::Test {
protected:
    void SetUp() override { form.Show(); }
    HeadlessScope scope;
    TestForm form;
};

// Each character used to be placed by counting the characters of the text from its start, so
// typing a text took time in the square of its length: 100,000 characters took seconds and
// 1,000,000 minutes. Typed here, 200,000 characters finish in well under a second; were the
// time quadratic again they would take minutes and run past the generous deadline.
TEST_F(Typing, LongTextTypedPerCharacterIsNotQuadratic) {
    constexpr int kLength = 200'000;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int keys = 0;
    int changes = 0;
    bool caretFollowed = true;
    form.text.KeyPress = [&](int& key) {
        if (++keys % 4096 == 0 && std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("typing stopped after " + std::to_string(keys) +
                                     " characters: past the deadline");
        }
        key = key == '-' ? '+' : key; // KeyPress still replaces characters
    };
    form.text.Change = [&] {
        ++changes;
        caretFollowed = caretFollowed && form.text.SelStart() == changes + 1;
    };
    std::string text(kLength, 'x');
    text[kLength / 2] = '-';
    form.text.SetText("ü"); // a character of two bytes before the caret
    form.text.UserSetSelection(1, 0);

    ASSERT_NO_THROW(form.text.UserType(text));
    EXPECT_EQ(keys, kLength);
    EXPECT_EQ(changes, kLength);
    EXPECT_TRUE(caretFollowed);
    EXPECT_EQ(form.text.Length(), kLength + 1);
    EXPECT_EQ(form.text.Text().size(), static_cast<std::size_t>(kLength) + 2);
    EXPECT_EQ(form.text.Text()[kLength / 2 + 2], '+');
}

TEST_F(Typing, BackspaceAndDeleteRemoveWholeCharactersOfSeveralBytes) {
    form.text.SetText("aü€😀b"); // characters of one, two, three and four bytes
    form.text.UserSetSelection(4, 0);
    form.text.UserType("\b");
    EXPECT_EQ(form.text.Text(), "aü€b");
    form.text.UserType("\b\b");
    EXPECT_EQ(form.text.Text(), "ab");
    EXPECT_EQ(form.text.SelStart(), 1);
    form.text.UserType("ß");
    form.text.UserSetSelection(1, 0);
    form.text.UserDelete();
    EXPECT_EQ(form.text.Text(), "ab");
    form.text.UserSetSelection(0, 2);
    EXPECT_EQ(form.text.SelText(), "ab");
    EXPECT_EQ(form.text.Length(), 2);
}

TEST_F(Typing, BytesThatJoinIntoOneCharacterAreCountedAsOne) {
    // "\xE2\x82" is two stray bytes; pasting "\xAC" after them completes the euro sign.
    form.text.SetText("\xE2\x82");
    EXPECT_EQ(form.text.Length(), 2);
    form.text.UserSetSelection(2, 0);
    form.text.UserPaste("\xAC");
    EXPECT_EQ(form.text.Text(), "€");
    EXPECT_EQ(form.text.Length(), 1);
    form.text.UserType("x");
    EXPECT_EQ(form.text.Text(), "€x");
    form.text.UserSetSelection(0, 1);
    EXPECT_EQ(form.text.SelText(), "€");
    // Deleting the stray byte between two others joins them too.
    form.text.SetText("\xE2\x41\x82\xAC");
    form.text.UserSetSelection(1, 1);
    form.text.UserDelete();
    EXPECT_EQ(form.text.Length(), 1);
    form.text.UserType("y");
    EXPECT_EQ(form.text.Text(), "€y");
}

} // namespace
} // namespace foliant::forms
