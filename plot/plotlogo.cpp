// The background logo behind the plot: a faint mountain skyline with the program's name, kept
// light so the data drawn over it stays readable. Rendered once from SVG text compiled into the
// program, so the picture needs no resource file.
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include "plot/plotrender.h"

namespace orvo {

namespace {

const char* const LogoSvg =
    R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="800" height="400" viewBox="0 0 800 400">
  <defs>
    <linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#f2f7fc"/>
      <stop offset="1" stop-color="#ffffff"/>
    </linearGradient>
  </defs>
  <rect width="800" height="400" fill="url(#sky)"/>
  <path d="M0 330 L120 230 L190 280 L320 130 L420 240 L500 180 L610 290 L700 220 L800 300 L800 400 L0 400 Z"
        fill="#edf2f8"/>
  <path d="M0 360 L150 290 L260 330 L380 250 L520 320 L640 270 L800 340 L800 400 L0 400 Z" fill="#f1f5fa"/>
  <path d="M300 150 L320 130 L345 158 L332 152 L320 162 L308 152 Z" fill="#ffffff"/>
  <path d="M60 300 C 200 80, 330 40, 420 60 S 640 200, 760 320" fill="none" stroke="#e9eff6"
        stroke-width="10" stroke-linecap="round"/>
  <text x="400" y="215" font-family="Arial, Helvetica, sans-serif" font-size="120" font-weight="bold"
        text-anchor="middle" fill="#ebf1f7" letter-spacing="18">ORVO</text>
</svg>)svg";

} // namespace

const QImage& PlotBackground() {
    static const QImage logo = [] {
        QImage img(800, 400, QImage::Format_RGB32);
        img.fill(Qt::white);
        QSvgRenderer svg{QByteArray(LogoSvg)};
        QPainter p(&img);
        svg.render(&p);
        return img;
    }();
    return logo;
}

} // namespace orvo
