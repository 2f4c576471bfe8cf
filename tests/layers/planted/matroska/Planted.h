// An include that breaks the layer rule: tools/check-layers.sh must report it.
#include "media/MediaFramework.h"
