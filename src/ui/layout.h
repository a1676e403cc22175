#pragma once

// Where things sit on the skinned windows, in client pixels. A point is inside a
// rectangle when left <= x < right and top <= y < bottom.
namespace tvac::ui {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  constexpr bool Contains(int x, int y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  constexpr int width() const { return right - left; }
  constexpr int height() const { return bottom - top; }
};

namespace main_layout {
inline constexpr Rect kWindow{0, 0, 560, 440};
inline constexpr Rect kHideSpot1{501, 13, 509, 21};
inline constexpr Rect kMinimiseSpot{520, 13, 529, 21};
inline constexpr Rect kHideSpot2{540, 13, 548, 21};
inline constexpr Rect kMenuButton{15, 47, 68, 72};
inline constexpr Rect kLastScanLine{400, 54, 550, 67};
inline constexpr Rect kStatusLine{60, 97, 510, 110};
inline constexpr Rect kPercent{490, 131, 540, 144};
inline constexpr Rect kProgressBar{38, 133, 483, 140};
inline constexpr Rect kResultLine{38, 155, 522, 168};
inline constexpr Rect kResultList{16, 205, 545, 353};
inline constexpr Rect kDbLine{16, 374, 316, 387};
inline constexpr Rect kScanButton{392, 365, 467, 391};
inline constexpr Rect kCureButton{471, 365, 546, 391};
}  // namespace main_layout

// The two small popups: the message window and the detail window.
struct PopupLayout {
  Rect window;
  Rect close_box;
  Rect confirm_button;
};
inline constexpr PopupLayout kMessageLayout{
    {0, 0, 400, 200}, {378, 14, 386, 22}, {163, 167, 238, 193}};
inline constexpr Rect kMessageText{90, 88, 370, 128};
inline constexpr PopupLayout kDetailLayout{
    {0, 0, 400, 300}, {378, 14, 386, 22}, {163, 243, 238, 269}};
inline constexpr Rect kDetailName{88, 115, 388, 215};
inline constexpr Rect kDetailLocation{88, 145, 388, 158};
inline constexpr Rect kDetailKind{88, 175, 388, 188};

// The three windows with two buttons: close mark, a left button that acts and a
// right one that cancels.
struct DialogLayout {
  Rect window;
  Rect close_box;
  Rect act_button;     // 보기, 설정, 시작
  Rect cancel_button;  // 취소
};
inline constexpr DialogLayout kNotifierLayout{
    {0, 0, 400, 300}, {378, 14, 386, 22}, {123, 243, 198, 269}, {203, 243, 278, 269}};
inline constexpr Rect kNotifierLines[3] = {
    {92, 110, 372, 140}, {92, 140, 372, 170}, {92, 170, 372, 200}};
inline constexpr DialogLayout kSettingsLayout{
    {0, 0, 400, 300}, {378, 14, 386, 22}, {123, 243, 198, 269}, {203, 243, 278, 269}};
// The check boxes from top to bottom: start with Windows, background scans,
// automatic update, scan at start, cure after a scan.
inline constexpr Rect kSettingsBoxes[5] = {{71, 67, 84, 80},
                                           {71, 96, 84, 109},
                                           {71, 125, 84, 138},
                                           {71, 153, 84, 166},
                                           {71, 182, 84, 195}};
inline constexpr DialogLayout kUpdateLayout{
    {0, 0, 400, 200}, {378, 14, 386, 22}, {123, 167, 198, 193}, {203, 167, 278, 193}};
inline constexpr Rect kUpdateBar{40, 117, 342, 124};
inline constexpr Rect kUpdatePercent{350, 115, 450, 128};

enum class DialogSpot { kClose, kAct, kCancel, kElsewhere };
constexpr DialogSpot HitTestDialog(const DialogLayout& layout, int x, int y) {
  if (layout.close_box.Contains(x, y)) return DialogSpot::kClose;
  if (layout.cancel_button.Contains(x, y)) return DialogSpot::kCancel;
  if (layout.act_button.Contains(x, y)) return DialogSpot::kAct;
  return DialogSpot::kElsewhere;
}

// Where the notifier's top-left corner goes: its bottom-right corner on the work
// area's, wherever the work area begins.
struct Point {
  int x, y;
};
constexpr Point NotifierOrigin(const Rect& work_area) {
  return {work_area.right - kNotifierLayout.window.width(),
          work_area.bottom - kNotifierLayout.window.height()};
}

enum class MainSpot { kHide, kMinimise, kElsewhere };
constexpr MainSpot HitTestMain(int x, int y) {
  using namespace main_layout;
  if (kHideSpot1.Contains(x, y) || kHideSpot2.Contains(x, y)) return MainSpot::kHide;
  if (kMinimiseSpot.Contains(x, y)) return MainSpot::kMinimise;
  return MainSpot::kElsewhere;
}

// A click on the close box or the confirm button closes a popup; anywhere else drags it.
constexpr bool ClosesPopup(const PopupLayout& layout, int x, int y) {
  return layout.close_box.Contains(x, y) || layout.confirm_button.Contains(x, y);
}

// The filled columns of a progress bar `width` pixels wide at `percent`.
constexpr int FillWidth(int width, int percent) {
  return static_cast<int>(static_cast<double>(width) * 0.01 * percent);
}

struct Rgb {
  unsigned char r, g, b;
};
inline constexpr Rgb kRowText{98, 98, 98};
// Odd rows on light grey, even rows on white.
constexpr Rgb RowBackground(int row) {
  return row % 2 == 1 ? Rgb{247, 247, 247} : Rgb{255, 255, 255};
}

}  // namespace tvac::ui
