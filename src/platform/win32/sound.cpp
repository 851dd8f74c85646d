#include "platform/sound.h"

#include "platform/win32/support.h"

namespace seewolf::platform {

bool Beep(BeepKind kind) {
    UINT sound = 0xFFFFFFFF;  // the simple default beep
    switch (kind) {
        case BeepKind::Warning:
            sound = MB_ICONEXCLAMATION;
            break;
        case BeepKind::Error:
            sound = MB_ICONHAND;
            break;
        case BeepKind::Information:
            sound = MB_ICONASTERISK;
            break;
        case BeepKind::Confirmation:
            sound = MB_ICONQUESTION;
            break;
        case BeepKind::Custom:
            break;
    }
    return ::MessageBeep(sound) != FALSE;
}

}  // namespace seewolf::platform
