// Peers of forms and plain controls on the simulated desktop. They note in the world's log the
// changes tests check (showing and hiding, the form's size and state, controls' places in
// pixels, captions, pointers, pictures); a Timer control's peer ticks it through the input queue.
#pragma once

#include <string>

#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/sim/event_queue.h"

namespace platform::sim {

class SimDesktop;
class SimWorld;

// Logs a control's change, as every peer here does for the settings every control has.
void noteControlUpdate(SimWorld& world, const forms::Control& control, forms::Property what);

class SimFormPeer : public forms::ControlPeer {
  public:
    SimFormPeer(SimDesktop& desktop, forms::Form& form);
    ~SimFormPeer() override;
    void update(forms::Property what) override;

  private:
    SimDesktop& desktop_;
    forms::Form& form_;
};

class SimControlPeer : public forms::ControlPeer {
  public:
    SimControlPeer(SimWorld& world, forms::Control& control) : world_(world), control_(control) {}
    void update(forms::Property what) override { noteControlUpdate(world_, control_, what); }

  private:
    SimWorld& world_;
    forms::Control& control_;
};

// Fires the Timer every Interval milliseconds from when the peer is made, until the peer is gone
// or the Interval is set to 0; setting another Interval starts counting anew.
class SimTimerPeer : public forms::ControlPeer {
  public:
    SimTimerPeer(EventQueue& queue, forms::Timer& timer);
    ~SimTimerPeer() override;
    void update(forms::Property what) override;

  private:
    EventQueue& queue_;
    forms::Timer& timer_;
    EventQueue::SourceId source_;
};

}  // namespace platform::sim
