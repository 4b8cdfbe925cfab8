#pragma once

#include "model/config_image.h"

// The image of the new configuration: every block's default values in the
// order the pages run them; blocks 7..9 and the CRC words zero.
ConfigImage NewConfigurationImage();
