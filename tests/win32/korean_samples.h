#pragma once

// Korean texts for the Windows tests, as code page 949 bytes.
namespace tvac::samples {

extern const char kHangulValueName[];  // a value name
extern const char kHangulData[];       // a path with Korean folder and file names
extern const char kHangulFolder[];     // a folder name

}  // namespace tvac::samples
