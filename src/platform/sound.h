#pragma once

namespace seewolf::platform {

// The system sound that goes with a message, by its kind.
enum class BeepKind { Warning, Error, Information, Confirmation, Custom };

// Plays the system's sound for the kind: on Windows the exclamation, critical stop, asterisk
// and question sounds, and the default beep for a custom message. True when the system took
// it. On Linux the desktop has no sound per kind: false, and the caller beeps as it can.
bool Beep(BeepKind kind);

}  // namespace seewolf::platform
