#include "installer/engine/message_box.h"

#include <cstdio>
#include <cstring>

namespace installer {

Message& Message::Arg(const char* text) {
    if (argCount < kMaxArgs) {
        args[argCount].kind = MessageArg::Kind::Text;
        args[argCount].text = text;
        ++argCount;
    }
    return *this;
}

Message& Message::Arg(uint32_t number) {
    if (argCount < kMaxArgs) {
        args[argCount].kind = MessageArg::Kind::Number;
        args[argCount].number = number;
        ++argCount;
    }
    return *this;
}

namespace {

// Appends to a bounded output, cutting what does not fit.
class Output {
public:
    Output(char* out, size_t size) : out_(out), size_(size) {}

    void Put(const char* text, size_t length) {
        if (size_ == 0) return;
        const size_t room = size_ - 1 - length_;
        if (length > room) length = room;
        std::memcpy(out_ + length_, text, length);
        length_ += length;
    }
    size_t Finish() {
        if (size_ > 0) out_[length_] = '\0';
        return length_;
    }

private:
    char* out_;
    size_t size_;
    size_t length_ = 0;
};

// The length of the conversion at `p` (which points at a '%'), or 0 when it
// is none of the ones a message may use. `*isText` tells "%s" apart.
size_t ConversionLength(const char* p, bool* isText, bool* isSigned) {
    *isText = false;
    *isSigned = false;
    switch (p[1]) {
        case 's':
            *isText = true;
            return 2;
        case 'u':
            return 2;
        case 'i':
        case 'd':
            *isSigned = true;
            return 2;
        case 'l':
            return p[2] == 'u' ? 3 : 0;
        default:
            return 0;
    }
}

}  // namespace

size_t ComposeMessageText(const char* pattern, const Message& message, char* out, size_t outSize) {
    if (out == nullptr) return 0;
    Output output(out, outSize);
    if (pattern == nullptr) return output.Finish();

    int next = 0;
    const char* p = pattern;
    while (*p != '\0') {
        const char* percent = std::strchr(p, '%');
        if (percent == nullptr) {
            output.Put(p, std::strlen(p));
            break;
        }
        output.Put(p, static_cast<size_t>(percent - p));
        p = percent;
        if (p[1] == '%') {
            output.Put("%", 1);
            p += 2;
            continue;
        }
        bool isText = false;
        bool isSigned = false;
        const size_t length = ConversionLength(p, &isText, &isSigned);
        const MessageArg* arg = next < message.argCount ? &message.args[next] : nullptr;
        const MessageArg::Kind wanted = isText ? MessageArg::Kind::Text : MessageArg::Kind::Number;
        if (length == 0 || arg == nullptr) {
            // Not ours to fill: keep the '%' and go on after it.
            output.Put(p, 1);
            ++p;
            continue;
        }
        ++next;  // each conversion takes its value, as printf would
        if (arg->kind != wanted) {
            output.Put(p, length);
            p += length;
            continue;
        }
        if (isText) {
            const char* text = arg->text != nullptr ? arg->text : "";
            output.Put(text, std::strlen(text));
        } else {
            char number[16];
            const int written =
                isSigned ? std::snprintf(number, sizeof number, "%d", static_cast<int32_t>(arg->number))
                         : std::snprintf(number, sizeof number, "%u", arg->number);
            if (written > 0) output.Put(number, static_cast<size_t>(written));
        }
        p += length;
    }
    return output.Finish();
}

void ComposeMessage(const Message& message, const SettingsTable& settings, const StringLoader& load,
                    MessageTexts* out) {
    if (out == nullptr) return;
    char pattern[SettingsTable::kTextBufferSize];
    for (char* text : {out->caption, pattern}) {
        const int id = text == out->caption ? message.captionId : message.textId;
        text[0] = '\0';
        if (!load || !load(id, text, SettingsTable::kTextBufferSize)) text[0] = '\0';
        text[SettingsTable::kTextBufferSize - 1] = '\0';
        settings.SubstituteNames(text);
    }
    ComposeMessageText(pattern, message, out->text, sizeof out->text);
}

}  // namespace installer
