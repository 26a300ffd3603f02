// The wizard's pictures, drawn when the window is made rather than kept as
// bitmap files: the watermark of the welcome and finish pages (at the size
// of its place on the page), the header image of the inner pages and the
// window's icon.
#pragma once

#include <windows.h>

class win_images {
 public:
  static HBITMAP watermark(int width, int height);
  // Wizard97's 49 x 49 pixels: the sheet draws it at that size whatever the
  // DPI (Wine crops a larger one).
  static HBITMAP header();
  static HICON icon(int size);
};
