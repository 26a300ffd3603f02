// The wizard's own pictures, drawn when first asked for: the window icon,
// the watermark of the welcome and finish pages, the header image of the
// inner pages and the frames of the connecting animation.
#pragma once

#include <QIcon>
#include <QPixmap>

class wizard_images {
 public:
  static constexpr int animation_frames = 8;

  static QIcon icon();
  static constexpr int watermark_height = 314;
  // The watermark `height` pixels high (at least watermark_height): the sky
  // reaches down to the buttons whatever the window's height.
  static QPixmap watermark(int height = watermark_height);
  static QPixmap header();
  // Frame `index` (0 to animation_frames - 1) of the connecting animation.
  static QPixmap animation_frame(int index);
};
