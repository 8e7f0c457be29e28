#pragma once

// The program's version record.
namespace opos {
inline constexpr const char* ProgramName = "Posling";
inline constexpr const char* ProgramVersion = POSLING_VERSION_TEXT;
} // namespace opos
