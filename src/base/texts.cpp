// Compiled with -fexec-charset=CP949: the literals below become code page 949 bytes.
// Include nothing here but what the declarations need.
#include "base/texts.h"

namespace tvac::texts {

const std::string_view kKindFile = "파일";
const std::string_view kKindSystem = "시스템";
const std::string_view kKindMd5 = "MD5";
const std::string_view kKindWindows = "윈도우";
const std::string_view kKindDesktop = "바탕화면";
const std::string_view kKindFolder = "폴더";
const std::string_view kKindProgramGroup = "프로그램그룹";
const std::string_view kKindRegKey = "레지키";
const std::string_view kKindRegValue = "레지값";

const std::string_view kUserNamePlaceholder = "사용자이름";
const std::string_view kProgramsLocalized = "프로그램";

const std::string_view kRegistry = "레지스트리";

const std::string_view kTraceSearch = "검색기록";
const std::string_view kTraceRun = "실행기록";
const std::string_view kTraceDocFind = "문서기록";
const std::string_view kTraceExplorer = "탐색기기록";
const std::string_view kTracePaint = "그림판기록";
const std::string_view kTraceExcel = "엑셀 문서기록";
const std::string_view kTracePowerPoint = "파워포인트 문서기록";
const std::string_view kTraceWord = "워드기록";
const std::string_view kTraceMediaPlayer = "미디어플레이어 기록";
const std::string_view kTraceGomFile = "곰플레이어 재생기록";
const std::string_view kTraceGomUrl = "곰플레이어 주소기록";
const std::string_view kTraceAlSong = "알송재생기록";
const std::string_view kTracePotPlayer = "다음팟플레이어 재생기록";
const std::string_view kTraceInternet = "인터넷기록";
const std::string_view kTraceMuiCache = "MUI캐시";
const std::string_view kTraceHelp = "도움말";
const std::string_view kTraceAlZip = "알집기록";

const std::string_view kResultMalware = "검사결과 : 악성코드(";
const std::string_view kResultSearchDoc = "), 검색/문서(";
const std::string_view kResultMedia = "), 미디어재생(";
const std::string_view kResultInternet = "), 인터넷기록(";
const std::string_view kResultOther = "), 기타(";

const std::string_view kDbDateLabel = "마지막 DB 업데이트 일자 : ";

const std::string_view kColumnName = "진단명";
const std::string_view kColumnLocation = "위치";
const std::string_view kColumnKind = "종류";

const std::string_view kLastScanLabel = "마지막 검사일 : ";
const std::string_view kStatusOpen = "검사대상(";
const std::string_view kStatusClose = ") : ";
const std::string_view kDbLineLabel = "마지막 DB 업데이트 : ";
const std::string_view kStatusInitial = "아래 검사버튼을 눌러주세요.";
const std::string_view kScanComplete = "검사를 완료하였습니다.";

const std::string_view kFoundInTrayPrefix = "총 ";
const std::string_view kFoundInTraySuffix = "개의 검사항목이 발견 되었습니다.";
const std::string_view kFoundPrefix = "검사결과 총 ";
const std::string_view kFoundSuffix = "개의 항목이 발견 되었습니다.";
const std::string_view kNothingFound = "검사결과 악성코드가 발견되지 않았습니다.";

const std::string_view kDetailName = "진단명 : ";
const std::string_view kDetailLocation = "위치 : ";
const std::string_view kDetailKind = "종류 : ";

const std::string_view kTrayTip = "탈보안티바이러스 3.0";
const std::string_view kFontFace = "굴림";

const std::string_view kUpdateLatest = "현재 탈보안티바이러스 버전이 최신버전입니다.";
const std::string_view kUpdateSucceeded = "프로그램 업데이트를 성공적으로 완료하였습니다.";
const std::string_view kUpdateFailed =
    "업데이트를 완료하지 못하였습니다. 잠시 후 다시 시도하시기 바랍니다.";

const std::string_view kCureScanRunning = "검사가 진행중입니다. 검사 후 치료하시기 바랍니다.";
const std::string_view kCureRunning =
    "치료가 진행중입니다. 치료가 끝난 후 다시 시도하시기 바랍니다.";
const std::string_view kCuring = "검사항목을 치료 중입니다.";
const std::string_view kCureComplete = "치료를 완료하였습니다.";
const std::string_view kCuredAll = "선택한 검사 항목을 모두 치료하였습니다.";
const std::string_view kCureFailedPrefix = "선택한 검사 항목 중 ";
const std::string_view kCureFailedSuffix = "개를 치료하지 못하였습니다.";
const std::string_view kStatusAfterCure = "아래 검사 버튼을 눌러주세요.";

const std::string_view kStopItem = "정지하기\tCtrl + S";
const std::string_view kAboutPrefix = "탈보안티바이러스 3.0 (엔진버전 : ";
const std::string_view kAboutSuffix = ")";
// A line feed, then a carriage return: the order the question has always had.
const std::string_view kExitQuestion =
    "프로그램 종료시 위협요소로 부터 보호 받을 수 없습니다.\n\r그래도 종료하시겠습니까?";

const std::string_view kNotifierMalware = "발견된 악성코드 : ";
const std::string_view kNotifierTrace = "불필요 레지스트리 : ";
const std::string_view kNotifierUnit = "개";

const std::string_view kSettingsSaved = "탈보안티바이러스 환경설정을 완료 하였습니다.";

const std::string_view kScanUsage = "사용법: tvac-scan.exe [--db 경로] [--tsv]";
const std::string_view kScanNoDatabase = "패턴 데이터베이스를 읽을 수 없어 흔적만 검사합니다: ";
const std::string_view kScanProgress = "검사 중 ";

}  // namespace tvac::texts
