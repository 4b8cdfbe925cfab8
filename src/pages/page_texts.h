#pragma once

// The pages' labels that more than one page or dialog shows.
namespace PageText {
// A request's data, as the external network grid heads its columns and the
// request dialog labels its fields.
inline constexpr const char* RequestAddress = "Адрес";
inline constexpr const char* RequestCount = "Кол-во";
}  // namespace PageText
