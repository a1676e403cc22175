#pragma once

// Korean texts for the tests, as code page 949 bytes.
namespace tvac::samples {

extern const char kHangulValueName[];  // a value name
extern const char kHangulData[];       // a path with Korean folder and file names
extern const char kHangulFolder[];     // a folder name
extern const char kTrojanName[];       // a diagnosis name
extern const char kTrojanInfo[];       // a description
extern const char kAdwareName[];

}  // namespace tvac::samples
