#include "samples/korean_samples.h"

namespace tvac::samples {

const char kHangulValueName[] = "검사기록";
const char kHangulData[] = "C:\\프로그램\\악성코드.exe";
const char kHangulFolder[] = "악성그룹";
const char kTrojanName[] = "트로이목마.시험";
const char kTrojanInfo[] = "시험용 트로이 목마";
const char kAdwareName[] = "광고프로그램.시험";

}  // namespace tvac::samples
