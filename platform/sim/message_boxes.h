// Message boxes on the simulated desktop: each one shown is recorded and answered from a queue of
// answers the test fills.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/sim/ticks.h"
#include "platform/win_types.h"

namespace platform::sim {

struct MessageBoxRecord {
    std::string owner;  // the owner form's name; empty without an owner
    std::string text;
    std::string caption;
    UINT style = MB_OK;
    Ticks shownAt = 0;
    int answer = 0;  // 0 when nobody answered
};

class MessageBoxes {
  public:
    // The answer the next box gets (IDOK, IDCANCEL, IDYES, IDNO).
    void queueAnswer(int answer) { answers_.push_back(answer); }
    std::size_t unusedAnswers() const { return answers_.size(); }

    // Records the box and answers it. Without a queued answer an OK box is acknowledged and any
    // other box throws std::logic_error: the test forgot to answer it. An answer the box cannot
    // give (IDYES to an OK box) throws std::logic_error too.
    int show(MessageBoxRecord box);

    const std::vector<MessageBoxRecord>& shown() const { return shown_; }

  private:
    std::deque<int> answers_;
    std::vector<MessageBoxRecord> shown_;
};

}  // namespace platform::sim
