#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "installer/engine/message_box.h"

using installer::Buttons;
using installer::ComposeMessageText;
using installer::Message;

namespace {

std::string Compose(const char* pattern, const Message& message, size_t size = 1024) {
    std::string out(size + 8, '#');
    const size_t length = ComposeMessageText(pattern, message, out.data(), size);
    EXPECT_EQ(out[length], '\0');
    // Nothing behind the buffer is touched.
    EXPECT_EQ(out.substr(size), std::string(8, '#'));
    return out.substr(0, length);
}

}  // namespace

TEST(MessageBox, fills_text_and_number_conversions_in_order) {
    Message read(66, 91, Buttons::OkCancel);
    read.Arg("data\\a.dta").Arg(2u);
    EXPECT_EQ(Compose("Can not read file %s from CD %u. File maybe corrupt.", read),
              "Can not read file data\\a.dta from CD 2. File maybe corrupt.");

    Message space(66, 67, Buttons::Ok);
    space.Arg("1.40 GB").Arg("476.84 MB");
    EXPECT_EQ(Compose("Korvo needs more.\nRequired %s\nAvailable %s", space),
              "Korvo needs more.\nRequired 1.40 GB\nAvailable 476.84 MB");

    Message numbers(1, 2, Buttons::Ok);
    numbers.Arg(4294967295u).Arg(4294967295u);
    EXPECT_EQ(Compose("%lu and %i, 100%%", numbers), "4294967295 and -1, 100%");
}

TEST(MessageBox, never_reads_values_it_was_not_given) {
    // Conversions beyond the values, of the wrong kind, or unknown stay as
    // written; the values' texts are never interpreted.
    Message one(1, 2, Buttons::Ok);
    one.Arg("%s %u %game_name");
    EXPECT_EQ(Compose("%s then %s and %u, %x %", one), "%s %u %game_name then %s and %u, %x %");

    Message number(1, 2, Buttons::Ok);
    number.Arg(7u);
    EXPECT_EQ(Compose("%s %u", number), "%s %u");

    // A third value is dropped; a null text prints as nothing.
    Message many(1, 2, Buttons::Ok);
    many.Arg(static_cast<const char*>(nullptr)).Arg(1u).Arg(2u);
    EXPECT_EQ(many.argCount, 2);
    EXPECT_EQ(Compose("[%s] %u %u", many), "[] 1 %u");
}

TEST(MessageBox, cuts_the_result_to_the_buffer) {
    Message message(1, 2, Buttons::Ok);
    message.Arg("abcdefgh");
    EXPECT_EQ(Compose("12%s", message, 6), "12abc");
    EXPECT_EQ(Compose("123456789", message, 1), "");
    char untouched = 'x';
    EXPECT_EQ(ComposeMessageText("abc", message, &untouched, 0), 0u);
    EXPECT_EQ(untouched, 'x');
    EXPECT_EQ(Compose(nullptr, message), "");
}

TEST(MessageBox, composes_both_texts_from_the_string_table_with_the_names) {
    installer::SettingsTable settings;
    settings.Set(installer::Setting::GameName, "Korvo %s");
    const installer::StringLoader load = [](int id, char* buffer, size_t size) {
        const char* text = id == 51   ? "%game_name Installation"
                           : id == 99 ? "%s not found! \n%u_game_name"
                                      : nullptr;
        if (text == nullptr) return false;
        std::snprintf(buffer, size, "%s", text);
        return true;
    };
    Message message(51, 99, Buttons::Ok);
    message.Arg("C:\\Games\\%game_name\\a.dta");
    installer::MessageTexts texts;
    installer::ComposeMessage(message, settings, load, &texts);
    // The names go in before the values, and neither is read again.
    EXPECT_STREQ(texts.caption, "Korvo %s Installation");
    EXPECT_STREQ(texts.text, "C:\\Games\\%game_name\\a.dta not found! \n");

    installer::ComposeMessage(Message(7, 8, Buttons::Ok), settings, load, &texts);
    EXPECT_STREQ(texts.caption, "");
    EXPECT_STREQ(texts.text, "");
}
