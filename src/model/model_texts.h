#pragma once

// The model's names that more than one table or function gives.
namespace ModelText {
// The signalling windows' types, as the legend, the listing and the
// menus name them.
inline constexpr const char* WindowAbsent = "Отсутствует";
inline constexpr const char* WindowIndication = "Индикация";
inline constexpr const char* WindowWarning = "Предупредительная";
inline constexpr const char* WindowEmergency = "Аварийная";
inline constexpr const char* WindowInverseWarning = "Обратная предупред.";
inline constexpr const char* WindowInverseEmergency = "Обратная аварийная";

// The crossbar's status text for a relay number outside 1..8, whether
// the input acknowledges or resets it.
inline constexpr const char* RelayOutOfRange = " Реле вне диапазона 1 - 8";
}  // namespace ModelText
