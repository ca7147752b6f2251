/* Writes what an X window shows to a binary PPM file, read straight from the
   X server in one request. It takes a fraction of the time ImageMagick's
   import does, so the tests can look often even on a busy machine. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Where a colour channel lies in a pixel: its shift and its largest value. */
typedef struct {
  int Shift;
  unsigned long Max;
} Channel;

static Channel ChannelOf(unsigned long mask) {
  Channel channel = {0, 0};
  if (mask == 0) return channel;
  while ((mask & 1) == 0) {
    mask >>= 1;
    ++channel.Shift;
  }
  channel.Max = mask;
  return channel;
}

static unsigned char Level(unsigned long pixel, Channel channel) {
  const unsigned long value = (pixel >> channel.Shift) & channel.Max;
  if (channel.Max == 255) return (unsigned char)value;
  return channel.Max == 0 ? 0 : (unsigned char)(value * 255 / channel.Max);
}

/* The pixel at (x, y): read directly where the image holds 32-bit pixels in
   this machine's byte order (the usual case), through Xlib otherwise. */
static unsigned long PixelAt(XImage* image, int x, int y, int direct) {
  if (direct) {
    uint32_t pixel;
    memcpy(&pixel, image->data + (size_t)y * (size_t)image->bytes_per_line + 4 * (size_t)x, 4);
    return pixel;
  }
  return XGetPixel(image, x, y);
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s WINDOW-ID FILE.ppm\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "window_shot: cannot open the display\n");
    return 1;
  }
  const Window window = (Window)strtoul(argv[1], NULL, 0);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) {
    fprintf(stderr, "window_shot: no window %s\n", argv[1]);
    return 1;
  }
  XImage* image = XGetImage(display, window, 0, 0, (unsigned)attributes.width,
                            (unsigned)attributes.height, AllPlanes, ZPixmap);
  if (image == NULL) {
    fprintf(stderr, "window_shot: cannot read window %s\n", argv[1]);
    return 1;
  }
  FILE* file = fopen(argv[2], "wb");
  if (file == NULL) {
    perror(argv[2]);
    return 1;
  }
  fprintf(file, "P6\n%d %d\n255\n", image->width, image->height);
  const uint16_t probe = 1;
  const int littleEndian = *(const unsigned char*)&probe == 1;
  const int direct = image->bits_per_pixel == 32 &&
                     image->byte_order == (littleEndian ? LSBFirst : MSBFirst);
  const Channel red = ChannelOf(image->red_mask), green = ChannelOf(image->green_mask),
                blue = ChannelOf(image->blue_mask);
  unsigned char* row = malloc((size_t)image->width * 3);
  if (row == NULL) return 1;
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      const unsigned long pixel = PixelAt(image, x, y, direct);
      row[3 * x] = Level(pixel, red);
      row[3 * x + 1] = Level(pixel, green);
      row[3 * x + 2] = Level(pixel, blue);
    }
    fwrite(row, 3, (size_t)image->width, file);
  }
  free(row);
  const int failed = fclose(file) != 0;
  XDestroyImage(image);
  XCloseDisplay(display);
  if (failed) perror(argv[2]);
  return failed;
}
