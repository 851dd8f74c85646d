#include "platform/sound.h"

namespace seewolf::platform {

bool Beep(BeepKind /*kind*/) {
    return false;
}

}  // namespace seewolf::platform
