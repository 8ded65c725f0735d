// The pure rules behind the disk members: serial texts, the choice of
// DisksInfo and the drive-type codes.
#pragma once

#include <cstdint>
#include <string>

namespace tarsen {

// "XXXX-XXXX": eight upper-case hexadecimal digits of the unsigned serial.
std::u16string serial_text(std::uint32_t serial);
// The serial as decimal text of a signed 32-bit number.
std::u16string serial_decimal(std::uint32_t serial);

// What DisksInfo reports for DType: 1 serial, 2 label, 3 (and every other
// value) the file-system name.
enum class VolumeFact { Serial = 1, Label = 2, FileSystem = 3 };
VolumeFact volume_fact(std::int32_t dtype);

// The platform's drive type mapped to the result codes: 2..6 give 1..5,
// anything else 0.
std::int16_t drive_type_code(std::uint32_t platform_type);

}  // namespace tarsen
