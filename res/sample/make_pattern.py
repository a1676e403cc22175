#!/usr/bin/env python3
"""Writes pattern.ini, the sample signature database the repository ships.

Its entries are harmless: they name demonstration files, folders and registry
items that scripts/run.sh plants in a wine prefix, and one that nothing matches.
Names and descriptions are Korean; every value is Base64 of code page 949 text.
Run it again after changing the entries; never edit pattern.ini by hand.
"""
import base64
import pathlib

ENTRIES = [
    ("시험.트로이목마", "시험용 가짜 트로이 목마: 업데이트 프로그램으로 위장합니다",
     [r"C:\tvac-demo\악성그룹\update.exe#default#파일",
      r"C:\tvac-demo\악성그룹\update.exe#999999#파일"],
     [r"HKEY_CURRENT_USER#Software\TvacDemo\Run#Updater#default#레지값"]),
    ("시험.광고프로그램", "광고 창을 띄우는 시험용 프로그램",
     [r"C:\tvac-demo\광고#default#폴더"],
     [r"HKEY_CURRENT_USER#Software\TvacDemo\Adware#Toolbar#1#레지키"]),
    ("시험.시스템감염", "Windows 폴더에 숨어드는 시험용 라이브러리",
     [r"tvac-demo-hook.dll#12#윈도우"],
     []),
    ("시험.사라진위협", "이 컴퓨터에는 없는 시험용 항목",
     [r"C:\tvac-demo\없음\gone.exe#default#파일"],
     [r"HKEY_LOCAL_MACHINE#SOFTWARE\TvacDemo\Gone#x#default#레지값"]),
]
DB_DATE = "마지막 DB 업데이트 일자 : 2026.12.10"


def b64(text):
    return base64.b64encode(text.encode("cp949")).decode("ascii")


def main():
    lines = ["[TotalCount]", f"Count={len(ENTRIES)}", "", "[DBINFO]", f"Info={DB_DATE}", ""]
    for i, (name, info, files, regs) in enumerate(ENTRIES, start=1):
        lines += [f"[DeziRiv{i}]", f"Name={b64(name)}", f"Info={b64(info)}",
                  f"FileCount={len(files)}", f"RegCount={len(regs)}"]
        lines += [f"File{j}={b64(rule)}" for j, rule in enumerate(files, start=1)]
        lines += [f"Reg{j}={b64(rule)}" for j, rule in enumerate(regs, start=1)]
        lines.append("")
    out = pathlib.Path(__file__).with_name("pattern.ini")
    out.write_bytes("\r\n".join(lines).encode("cp949"))


if __name__ == "__main__":
    main()
