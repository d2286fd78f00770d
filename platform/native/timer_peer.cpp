// A timer control: raises Timer every Interval milliseconds while its form is loaded; an
// interval of 0 stops it.
#include "platform/native/control_peers.h"
#include "platform/native/glib_handles.h"

namespace platform::native {

namespace {

class TimerPeer : public forms::ControlPeer {
  public:
    explicit TimerPeer(forms::Timer& timer) : timer_(timer) { restart(); }

    void update(forms::Property what) override {
        if (what == forms::Property::Interval) restart();
    }

  private:
    static gboolean onTick(gpointer self) {
        // The handler may unload the form and with it this peer: nothing of it is touched
        // afterwards, and the source of a destroyed peer is gone already.
        static_cast<TimerPeer*>(self)->timer_.fireTimer();
        return G_SOURCE_CONTINUE;
    }

    void restart() {
        source_.reset();
        if (timer_.Interval() > 0)
            source_ = SourceId(g_timeout_add(static_cast<guint>(timer_.Interval()), onTick, this));
    }

    forms::Timer& timer_;
    SourceId source_;
};

}  // namespace

std::unique_ptr<forms::ControlPeer> makeTimerPeer(forms::Timer& timer) {
    return std::make_unique<TimerPeer>(timer);
}

}  // namespace platform::native
