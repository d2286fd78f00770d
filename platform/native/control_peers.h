// The native desktop's peers, one per kind of control (the browser's is in gtk_peer.h).
#pragma once

#include <memory>

#include "platform/forms/control.h"
#include "platform/forms/form.h"

namespace platform::native {

class NativeBackend;

std::unique_ptr<forms::ControlPeer> makeFormPeer(forms::Form& form, NativeBackend& backend);
std::unique_ptr<forms::ControlPeer> makePictureBoxPeer(forms::Control& control,
                                                       NativeBackend& backend);
std::unique_ptr<forms::ControlPeer> makeLabelPeer(forms::Control& control, NativeBackend& backend);
std::unique_ptr<forms::ControlPeer> makeTextBoxPeer(forms::Control& control,
                                                    NativeBackend& backend);
std::unique_ptr<forms::ControlPeer> makeCommandButtonPeer(forms::Control& control,
                                                          NativeBackend& backend);
std::unique_ptr<forms::ControlPeer> makeTimerPeer(forms::Timer& timer);

}  // namespace platform::native
