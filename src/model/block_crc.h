#pragma once

#include "model/config_image.h"

// Computes the CRC word of every block (0..9) over its payload and stores
// it in wire order right after the payload.
void StampBlockCrcs(ConfigImage& image);

// The first block (0..9) whose payload and CRC word do not check to 0,
// or -1 when all ten agree.
int FirstCorruptBlock(const ConfigImage& image);

// True when every block's payload agrees with its CRC word.
bool CheckBlockCrcs(const ConfigImage& image);
