#pragma once

#include <string_view>

// Every Korean text of the program, as code page 949 bytes. They are defined in
// texts.cpp, the one source compiled with the code page 949 execution character set.
namespace tvac::texts {

// Location kinds of database file and registry rules.
extern const std::string_view kKindFile;          // 파일
extern const std::string_view kKindSystem;        // 시스템
extern const std::string_view kKindMd5;           // MD5
extern const std::string_view kKindWindows;       // 윈도우
extern const std::string_view kKindDesktop;       // 바탕화면
extern const std::string_view kKindFolder;        // 폴더
extern const std::string_view kKindProgramGroup;  // 프로그램그룹
extern const std::string_view kKindRegKey;        // 레지키
extern const std::string_view kKindRegValue;      // 레지값

// Placeholder for the login name in desktop rules, and the localized name of the
// Start menu's program folder.
extern const std::string_view kUserNamePlaceholder;  // 사용자이름
extern const std::string_view kProgramsLocalized;    // 프로그램

// The kind column of every trace row.
extern const std::string_view kRegistry;  // 레지스트리

// Labels of the trace catalogue.
extern const std::string_view kTraceSearch;       // 검색기록
extern const std::string_view kTraceRun;          // 실행기록
extern const std::string_view kTraceDocFind;      // 문서기록
extern const std::string_view kTraceExplorer;     // 탐색기기록
extern const std::string_view kTracePaint;        // 그림판기록
extern const std::string_view kTraceExcel;        // 엑셀 문서기록
extern const std::string_view kTracePowerPoint;   // 파워포인트 문서기록
extern const std::string_view kTraceWord;         // 워드기록
extern const std::string_view kTraceMediaPlayer;  // 미디어플레이어 기록
extern const std::string_view kTraceGomFile;      // 곰플레이어 재생기록
extern const std::string_view kTraceGomUrl;       // 곰플레이어 주소기록
extern const std::string_view kTraceAlSong;       // 알송재생기록
extern const std::string_view kTracePotPlayer;    // 다음팟플레이어 재생기록
extern const std::string_view kTraceInternet;     // 인터넷기록
extern const std::string_view kTraceMuiCache;     // MUI캐시
extern const std::string_view kTraceHelp;         // 도움말
extern const std::string_view kTraceAlZip;        // 알집기록

// The result line: 검사결과 : 악성코드(n), 검색/문서(n), 미디어재생(n), 인터넷기록(n), 기타(n)
extern const std::string_view kResultMalware;    // "검사결과 : 악성코드("
extern const std::string_view kResultSearchDoc;  // "), 검색/문서("
extern const std::string_view kResultMedia;      // "), 미디어재생("
extern const std::string_view kResultInternet;   // "), 인터넷기록("
extern const std::string_view kResultOther;      // "), 기타("

// The database date line's label, removed from DBINFO/Info.
extern const std::string_view kDbDateLabel;  // "마지막 DB 업데이트 일자 : "

// Column headings of the result list's visible columns.
extern const std::string_view kColumnName;      // 진단명
extern const std::string_view kColumnLocation;  // 위치
extern const std::string_view kColumnKind;      // 종류

// The main window's lines.
extern const std::string_view kLastScanLabel;  // "마지막 검사일 : "
extern const std::string_view kStatusOpen;     // "검사대상("
extern const std::string_view kStatusClose;    // ") : "
extern const std::string_view kDbLineLabel;    // "마지막 DB 업데이트 : "
extern const std::string_view kStatusInitial;  // 아래 검사버튼을 눌러주세요.
extern const std::string_view kScanComplete;   // 검사를 완료하였습니다.

// The end of a scan: "총 " n "개의 검사항목이 발견 되었습니다." while hidden in the
// tray, "검사결과 총 " n "개의 항목이 발견 되었습니다." otherwise.
extern const std::string_view kFoundInTrayPrefix;
extern const std::string_view kFoundInTraySuffix;
extern const std::string_view kFoundPrefix;
extern const std::string_view kFoundSuffix;
extern const std::string_view kNothingFound;  // 검사결과 악성코드가 발견되지 않았습니다.

// The detail window's labels.
extern const std::string_view kDetailName;      // "진단명 : "
extern const std::string_view kDetailLocation;  // "위치 : "
extern const std::string_view kDetailKind;      // "종류 : "

// The tray icon's tooltip and the face of every skinned text.
extern const std::string_view kTrayTip;   // 탈보안티바이러스 3.0
extern const std::string_view kFontFace;  // 굴림

// Notices of the update.
extern const std::string_view kUpdateLatest;     // 현재 탈보안티바이러스 버전이 최신버전입니다.
extern const std::string_view kUpdateSucceeded;  // 프로그램 업데이트를 성공적으로 완료하였습니다.
extern const std::string_view kUpdateFailed;     // 업데이트를 완료하지 못하였습니다. ...

// The cure.
extern const std::string_view kCureScanRunning;    // 검사가 진행중입니다. 검사 후 치료하시기 바랍니다.
extern const std::string_view kCureRunning;        // 치료가 진행중입니다. 치료가 끝난 후 ...
extern const std::string_view kCuring;             // 검사항목을 치료 중입니다.
extern const std::string_view kCureComplete;       // 치료를 완료하였습니다.
extern const std::string_view kCuredAll;           // 선택한 검사 항목을 모두 치료하였습니다.
extern const std::string_view kCureFailedPrefix;   // "선택한 검사 항목 중 " n
extern const std::string_view kCureFailedSuffix;   // "개를 치료하지 못하였습니다."
extern const std::string_view kStatusAfterCure;    // 아래 검사 버튼을 눌러주세요.

// Menus, program information and the exit question.
extern const std::string_view kStopItem;      // "정지하기\tCtrl + S"
extern const std::string_view kAboutPrefix;   // "탈보안티바이러스 3.0 (엔진버전 : "
extern const std::string_view kAboutSuffix;   // ")"
extern const std::string_view kExitQuestion;  // 프로그램 종료시 ... 그래도 종료하시겠습니까?

// The notifier popup's count lines: label, count, unit.
extern const std::string_view kNotifierMalware;  // "발견된 악성코드 : "
extern const std::string_view kNotifierTrace;    // "불필요 레지스트리 : "
extern const std::string_view kNotifierUnit;     // "개"

// The settings dialog's confirmation.
extern const std::string_view kSettingsSaved;  // 탈보안티바이러스 환경설정을 완료 하였습니다.

// The console scanner.
extern const std::string_view kScanUsage;
extern const std::string_view kScanNoDatabase;  // followed by the database path
extern const std::string_view kScanProgress;    // followed by the percentage

}  // namespace tvac::texts
