#include "korean_samples.h"

namespace tvac::samples {

const char kHangulValueName[] = "검사기록";
const char kHangulData[] = "C:\\프로그램\\악성코드.exe";
const char kHangulFolder[] = "악성그룹";

}  // namespace tvac::samples
