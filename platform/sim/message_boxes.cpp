#include "platform/sim/message_boxes.h"

#include <stdexcept>

namespace platform::sim {

namespace {

constexpr UINT kButtonsMask = 0xF;

bool fits(UINT style, int answer) {
    switch (style & kButtonsMask) {
        case MB_OK:
            return answer == IDOK;
        case MB_YESNO:
            return answer == IDYES || answer == IDNO;
        default:  // other button sets: any answer goes
            return true;
    }
}

}  // namespace

int MessageBoxes::show(MessageBoxRecord box) {
    shown_.push_back(box);
    MessageBoxRecord& recorded = shown_.back();
    if (answers_.empty()) {
        if ((box.style & kButtonsMask) != MB_OK) {
            throw std::logic_error("nobody answered the message box \"" + box.text + "\"");
        }
        recorded.answer = IDOK;
        return IDOK;
    }
    const int answer = answers_.front();
    answers_.pop_front();
    if (!fits(box.style, answer)) {
        throw std::logic_error("answer " + std::to_string(answer) +
                               " does not fit the message box \"" + box.text + "\"");
    }
    recorded.answer = answer;
    return answer;
}

}  // namespace platform::sim
