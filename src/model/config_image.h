#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <span>

// The whole configuration of one panel: ten blocks, each block's payload
// followed at once by a two-byte CRC word.
constexpr int ConfigImageSize = 482;
constexpr int ConfigBlockCount = 10;

using ConfigImage = std::array<uint8_t, ConfigImageSize>;

struct ConfigBlock {
    int Offset;  // from the start of the image
    int Length;  // payload bytes
    constexpr int CrcOffset() const { return Offset + Length; }
};

inline constexpr std::array<ConfigBlock, ConfigBlockCount> BlockDirectory{{
    {0, 20},
    {22, 7},
    {31, 8},
    {41, 64},
    {107, 32},
    {141, 24},
    {167, 64},
    {233, 81},
    {316, 81},
    {399, 81},
}};

// Blocks 0..6 travel between the tool and a panel; 7..9 only live in files.
constexpr int DeviceBlockCount = 7;

// The payload of block n (0..9) inside an image. The span points into the
// image itself, so an image that ends with the statement (a function's
// result) is refused: keep it in a variable first.
std::span<uint8_t> BlockPayload(ConfigImage& image, int block);
std::span<const uint8_t> BlockPayload(const ConfigImage& image, int block);
std::span<const uint8_t> BlockPayload(ConfigImage&& image, int block) = delete;
std::span<const uint8_t> BlockPayload(const ConfigImage&& image, int block) = delete;

// The image with the fields the main window keeps beside it.
struct ConfigState {
    ConfigImage Image{};
    int32_t FamilyCode = 0;  // 0: ОРЛ-07 family, 1: ОРЛ-09
    QString CurrentFileName;
    bool HasFileName = false;
};
