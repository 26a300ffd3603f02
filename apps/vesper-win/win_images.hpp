// The wizard's pictures, drawn when the window is made rather than kept as
// bitmap files: the watermark of the welcome and finish pages, the header
// image of the inner pages and the window's icon, each at the size the
// screen's DPI asks for.
#pragma once

#include <windows.h>

class win_images {
 public:
  // `dpi`: the screen's dots per inch (96 is 100 %).
  static HBITMAP watermark(int dpi);
  static HBITMAP header(int dpi);
  static HICON icon(int size);
  // The DPI of the screen the wizard opens on.
  static int screen_dpi();
};
