#include "display/picture.h"

#include "app/console_state.h"
#include "display/canvas.h"

namespace vorn {

void BeginPicture(std::string_view picture) {
  State.Picture.PictureText = std::string(picture);
  State.Picture.PictureCursor = 0;
  State.Picture.PictureActive = true;
}

void PrintPictureNumber(double, bool, bool) {}

void EndPicture() { State.Picture = PictureState{}; }

std::string FormatPictureField(double, int, int, bool) { return {}; }

}  // namespace vorn
