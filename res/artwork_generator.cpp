// Draws every picture of the wizard (tiles, banner, arrow, logos, icon, cursor) as PNG files
// into the directory given on the command line. Run at build time; the PNGs are compiled into
// the program's Qt resource. It also draws the icon the desktop shows for the installed
// program: the window icon's design at the desktop's sizes and as SVG.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QSvgGenerator>
#include <QTransform>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor kPanelBackground(240, 247, 255);
const QColor kHeadingBlue(0, 70, 213);
const QColor kDarkBlue(10, 40, 120);

enum class Look { Up, Pressed, Grey, Focused };

QFont CaptionFont(int pixelSize, bool bold = true) {
  QFont font;
  font.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans Condensed", "DejaVu Sans"});
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QImage NewImage(int width, int height, QColor fill = kPanelBackground) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(fill);
  return image;
}

void Prepare(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
}

// The rounded pale tile every navigation picture stands on; its corners stay PanelBackground.
void DrawTileBase(QPainter& painter, QRectF area, Look look) {
  QLinearGradient gradient(area.topLeft(), area.bottomLeft());
  if (look == Look::Grey) {
    gradient.setColorAt(0, QColor(236, 236, 236));
    gradient.setColorAt(1, QColor(200, 200, 200));
  } else if (look == Look::Pressed) {
    gradient.setColorAt(0, QColor(190, 212, 240));
    gradient.setColorAt(1, QColor(225, 236, 250));
  } else {
    gradient.setColorAt(0, QColor(255, 255, 255));
    gradient.setColorAt(1, QColor(205, 222, 246));
  }
  painter.setPen(QPen(look == Look::Grey ? QColor(150, 150, 150) : QColor(110, 145, 200), 1.2));
  painter.setBrush(gradient);
  painter.drawRoundedRect(area.adjusted(1.5, 1.5, -1.5, -1.5), 9, 9);
}

// The keyboard focus on a tile: its rim drawn in the heading blue, and a dotted frame inside
// it, following the tile's rounded corners.
void DrawFocusFrame(QPainter& painter, QRectF area) {
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kHeadingBlue, 2));
  painter.drawRoundedRect(area.adjusted(1.5, 1.5, -1.5, -1.5), 9, 9);
  QPen dots(kHeadingBlue, 1, Qt::DotLine);
  painter.setPen(dots);
  painter.drawRoundedRect(area.adjusted(4.5, 4.5, -4.5, -4.5), 6, 6);
}

void DrawCaption(QPainter& painter, QRectF area, const QString& text, Look look) {
  painter.setFont(CaptionFont(12));
  painter.setPen(look == Look::Grey ? QColor(130, 130, 130) : kDarkBlue);
  painter.drawText(area, Qt::AlignHCenter | Qt::AlignBottom, text);
}

void DrawArrow(QPainter& painter, QPointF centre, double size, bool right, QColor colour) {
  QPainterPath path;
  const double h = size / 2;
  path.moveTo(-h, -h * 0.35);
  path.lineTo(0, -h * 0.35);
  path.lineTo(0, -h);
  path.lineTo(h, 0);
  path.lineTo(0, h);
  path.lineTo(0, h * 0.35);
  path.lineTo(-h, h * 0.35);
  path.closeSubpath();
  QTransform transform;
  transform.translate(centre.x(), centre.y());
  if (!right) transform.scale(-1, 1);
  QLinearGradient gradient(QPointF(0, -h), QPointF(0, h));
  gradient.setColorAt(0, colour.lighter(150));
  gradient.setColorAt(1, colour);
  painter.setPen(QPen(colour.darker(140), 1));
  painter.setBrush(gradient);
  painter.drawPath(transform.map(path));
}

void DrawGear(QPainter& painter, QPointF centre, double radius, int teeth, QColor colour) {
  QPainterPath path;
  for (int i = 0; i < teeth * 2; ++i) {
    const double angle = M_PI * i / teeth;
    const double r = (i % 2 == 0) ? radius : radius * 0.78;
    const double a0 = angle - M_PI / teeth / 2;
    const double a1 = angle + M_PI / teeth / 2;
    QPointF p0(centre.x() + r * std::cos(a0), centre.y() + r * std::sin(a0));
    QPointF p1(centre.x() + r * std::cos(a1), centre.y() + r * std::sin(a1));
    if (i == 0)
      path.moveTo(p0);
    else
      path.lineTo(p0);
    path.lineTo(p1);
  }
  path.closeSubpath();
  path.addEllipse(centre, radius * 0.3, radius * 0.3);
  path.setFillRule(Qt::OddEvenFill);
  painter.setPen(QPen(colour.darker(150), 1));
  painter.setBrush(colour);
  painter.drawPath(path);
}

using Symbol = std::function<void(QPainter&, QPointF centre, Look)>;

QImage Tile(const QString& caption, Look look, const Symbol& symbol) {
  QImage image = NewImage(70, 61);
  QPainter painter(&image);
  Prepare(painter);
  DrawTileBase(painter, QRectF(0, 0, 70, 61), look == Look::Focused ? Look::Up : look);
  const double shift = look == Look::Pressed ? 1 : 0;
  symbol(painter, QPointF(35 + shift, 23 + shift), look);
  DrawCaption(painter, QRectF(0 + shift, 0 + shift, 70, 56), caption, look);
  if (look == Look::Focused) DrawFocusFrame(painter, QRectF(0, 0, 70, 61));
  return image;
}

const Symbol kNextSymbol = [](QPainter& p, QPointF c, Look) {
  DrawArrow(p, c, 30, true, kHeadingBlue);
};
const Symbol kBackSymbol = [](QPainter& p, QPointF c, Look) {
  DrawArrow(p, c, 30, false, kHeadingBlue);
};
const Symbol kConvertSymbol = [](QPainter& p, QPointF c, Look look) {
  const QColor colour = look == Look::Grey ? QColor(150, 150, 150) : QColor(40, 100, 220);
  DrawGear(p, c + QPointF(-7, 3), 12, 10, colour);
  DrawGear(p, c + QPointF(10, -8), 8, 8, colour.lighter(125));
};
const Symbol kHelpSymbol = [](QPainter& p, QPointF c, Look) {
  p.setFont(CaptionFont(34));
  p.setPen(kHeadingBlue);
  p.drawText(QRectF(c.x() - 20, c.y() - 20, 40, 40), Qt::AlignCenter, "?");
};
const Symbol kExitSymbol = [](QPainter& p, QPointF c, Look) {
  p.setPen(QPen(QColor(210, 30, 30), 6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(c + QPointF(-11, -11), c + QPointF(11, 11));
  p.drawLine(c + QPointF(11, -11), c + QPointF(-11, 11));
};
const Symbol kStopSymbol = [](QPainter& p, QPointF c, Look) {
  QLinearGradient gradient(c + QPointF(0, -12), c + QPointF(0, 12));
  gradient.setColorAt(0, QColor(250, 90, 80));
  gradient.setColorAt(1, QColor(190, 20, 20));
  p.setPen(QPen(QColor(140, 10, 10), 1));
  p.setBrush(gradient);
  p.drawRoundedRect(QRectF(c.x() - 12, c.y() - 12, 24, 24), 3, 3);
};

// The maker's mark: a blue disc with a white "V" and a small orange database drum.
void DrawMakerMark(QPainter& painter, QRectF area) {
  QRadialGradient gradient(area.center() - QPointF(area.width() / 6, area.height() / 6),
                           area.width() / 1.6);
  gradient.setColorAt(0, QColor(90, 150, 250));
  gradient.setColorAt(1, QColor(0, 50, 170));
  painter.setPen(QPen(QColor(0, 35, 120), 1));
  painter.setBrush(gradient);
  painter.drawEllipse(area);
  QPainterPath v;
  const double w = area.width();
  const double h = area.height();
  v.moveTo(area.left() + w * 0.24, area.top() + h * 0.26);
  v.lineTo(area.left() + w * 0.5, area.top() + h * 0.76);
  v.lineTo(area.left() + w * 0.76, area.top() + h * 0.26);
  painter.setPen(
      QPen(Qt::white, std::max(2.0, w * 0.11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(v);
}

QImage LogoTile(Look look) {
  QImage image = NewImage(73, 66);
  QPainter painter(&image);
  Prepare(painter);
  DrawTileBase(painter, QRectF(0, 0, 73, 66), look);
  const double shift = look == Look::Pressed ? 1 : 0;
  DrawMakerMark(painter, QRectF(14 + shift, 8 + shift, 45, 45));
  painter.setFont(CaptionFont(9));
  painter.setPen(kDarkBlue);
  painter.drawText(QRectF(shift, shift, 73, 63), Qt::AlignHCenter | Qt::AlignBottom, "VELTRANO");
  return image;
}

QImage AboutLogo() {
  QImage image = NewImage(97, 97);
  QPainter painter(&image);
  Prepare(painter);
  DrawMakerMark(painter, QRectF(8, 4, 81, 81));
  painter.setFont(CaptionFont(11));
  painter.setPen(kDarkBlue);
  painter.drawText(QRectF(0, 0, 97, 97), Qt::AlignHCenter | Qt::AlignBottom, "VELTRANO");
  return image;
}

QImage ArrowPicture() {
  QImage image = NewImage(70, 155);
  QPainter painter(&image);
  Prepare(painter);
  QPainterPath path;
  path.moveTo(6, 55);
  path.lineTo(36, 55);
  path.lineTo(36, 25);
  path.lineTo(66, 77);
  path.lineTo(36, 129);
  path.lineTo(36, 99);
  path.lineTo(6, 99);
  path.closeSubpath();
  QLinearGradient gradient(QPointF(0, 25), QPointF(0, 129));
  gradient.setColorAt(0, QColor(224, 236, 252));
  gradient.setColorAt(1, QColor(205, 222, 246));
  painter.setPen(QPen(QColor(196, 214, 240), 1));
  painter.setBrush(gradient);
  painter.drawPath(path);
  return image;
}

QImage Banner() {
  QImage image = NewImage(627, 89);
  QPainter painter(&image);
  Prepare(painter);
  QLinearGradient gradient(QPointF(0, 0), QPointF(627, 89));
  gradient.setColorAt(0, QColor(178, 208, 248));
  gradient.setColorAt(0.55, QColor(214, 230, 252));
  gradient.setColorAt(1, QColor(240, 247, 255));
  painter.fillRect(image.rect(), gradient);
  // Light swooshes across the banner.
  for (int i = 0; i < 3; ++i) {
    QPainterPath swoosh;
    const double y = 30.0 + i * 18;
    swoosh.moveTo(0, y + 30);
    swoosh.cubicTo(180, y - 40, 380, y + 50, 627, y - 20);
    swoosh.lineTo(627, y - 10);
    swoosh.cubicTo(380, y + 62, 180, y - 26, 0, y + 44);
    swoosh.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 70 - i * 15));
    painter.drawPath(swoosh);
  }
  painter.setPen(QPen(QColor(150, 185, 235), 1));
  painter.drawLine(0, 88, 627, 88);
  QFont title = CaptionFont(26);
  painter.setFont(title);
  painter.setPen(kDarkBlue);
  painter.drawText(QRectF(120, 8, 490, 44), Qt::AlignRight | Qt::AlignVCenter,
                   "Skerrow Database Converter");
  painter.setFont(CaptionFont(15, false));
  painter.setPen(kHeadingBlue);
  painter.drawText(QRectF(120, 50, 490, 26), Qt::AlignRight | Qt::AlignVCenter,
                   "Oracle  \u2192  MySQL");
  return image;
}

// The program icon, drawn on a 64 x 64 grid: two database drums with an arrow from the first
// to the second. The same strokes make every PNG size and the scalable SVG.
void PaintIcon(QPainter& painter) {
  auto drum = [&](QRectF area, QColor colour) {
    const double cap = area.height() * 0.22;
    QLinearGradient gradient(area.topLeft(), area.topRight());
    gradient.setColorAt(0, colour.darker(120));
    gradient.setColorAt(0.4, colour.lighter(140));
    gradient.setColorAt(1, colour.darker(130));
    QPainterPath body;
    body.moveTo(area.left(), area.top() + cap / 2);
    body.lineTo(area.left(), area.bottom() - cap / 2);
    body.arcTo(QRectF(area.left(), area.bottom() - cap, area.width(), cap), 180, 180);
    body.lineTo(area.right(), area.top() + cap / 2);
    body.closeSubpath();
    painter.setPen(QPen(colour.darker(180), 1.5));
    painter.setBrush(gradient);
    painter.drawPath(body);
    painter.setBrush(colour.lighter(160));
    painter.drawEllipse(QRectF(area.left(), area.top(), area.width(), cap));
  };
  drum(QRectF(3, 6, 28, 36), QColor(200, 40, 30));
  drum(QRectF(33, 22, 28, 36), QColor(0, 110, 200));
  DrawArrow(painter, QPointF(32, 14), 22, true, QColor(240, 160, 20));
}

QImage Icon(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  Prepare(painter);
  painter.scale(size / 64.0, size / 64.0);
  PaintIcon(painter);
  return image;
}

// The icon for the desktop's scalable size.
bool SaveIconSvg(const QDir& dir, const QString& name) {
  const QString path = dir.filePath(name);
  QSvgGenerator svg;
  svg.setFileName(path);
  svg.setSize(QSize(64, 64));
  svg.setViewBox(QRect(0, 0, 64, 64));
  svg.setTitle(QStringLiteral("Skerrow"));
  svg.setDescription(
      QStringLiteral("Two database drums with an arrow from the first to the second"));
  QPainter painter;
  if (!painter.begin(&svg)) {
    std::fprintf(stderr, "artwork: cannot write %s\n", qPrintable(path));
    return false;
  }
  Prepare(painter);
  PaintIcon(painter);
  return painter.end();
}

// A pointing hand whose finger tip is at column 12, row 1.
QImage HandCursor() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  Prepare(painter);
  QPainterPath hand;
  hand.moveTo(10.5, 3);
  hand.quadTo(12, 0.5, 13.5, 3);
  hand.lineTo(13.5, 12);
  hand.quadTo(15, 10.5, 16.5, 12);
  hand.quadTo(18, 10.5, 19.5, 13);
  hand.quadTo(21, 11.5, 22.5, 14);
  hand.lineTo(22.5, 22);
  hand.quadTo(22, 26, 19.5, 28);
  hand.lineTo(11.5, 28);
  hand.quadTo(9, 24, 5.5, 19);
  hand.quadTo(5, 16, 8, 17);
  hand.lineTo(10.5, 19.5);
  hand.closeSubpath();
  painter.setPen(QPen(Qt::black, 1.2));
  painter.setBrush(Qt::white);
  painter.drawPath(hand);
  painter.setPen(QPen(Qt::black, 0.8));
  painter.drawLine(QPointF(16.5, 12), QPointF(16.5, 17));
  painter.drawLine(QPointF(19.5, 13), QPointF(19.5, 17));
  return image;
}

bool Save(const QDir& dir, const QString& name, const QImage& image) {
  const QString path = dir.filePath(name);
  if (!image.save(path, "PNG")) {
    std::fprintf(stderr, "artwork: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
    return 2;
  }
  QDir dir(QString::fromLocal8Bit(argv[1]));
  if (!dir.mkpath(".")) {
    std::fprintf(stderr, "artwork: cannot create %s\n", argv[1]);
    return 1;
  }
  struct TileSpec {
    const char* stem;
    const char* caption;
    const Symbol* symbol;
  };
  const TileSpec tiles[] = {
      {"next", "Next", &kNextSymbol},          {"back", "Back", &kBackSymbol},
      {"convert", "Convert", &kConvertSymbol}, {"help", "Help", &kHelpSymbol},
      {"exit", "Exit", &kExitSymbol},          {"stop", "Stop", &kStopSymbol}};
  bool ok = true;
  for (const TileSpec& tile : tiles) {
    ok &=
        Save(dir, QString("%1_up.png").arg(tile.stem), Tile(tile.caption, Look::Up, *tile.symbol));
    ok &= Save(dir, QString("%1_down.png").arg(tile.stem),
               Tile(tile.caption, Look::Pressed, *tile.symbol));
    ok &= Save(dir, QString("%1_focus.png").arg(tile.stem),
               Tile(tile.caption, Look::Focused, *tile.symbol));
  }
  ok &= Save(dir, "convert_grey.png", Tile("Convert", Look::Grey, kConvertSymbol));
  ok &= Save(dir, "logo_up.png", LogoTile(Look::Up));
  ok &= Save(dir, "logo_down.png", LogoTile(Look::Pressed));
  ok &= Save(dir, "about_logo.png", AboutLogo());
  ok &= Save(dir, "arrow.png", ArrowPicture());
  ok &= Save(dir, "banner.png", Banner());
  ok &= Save(dir, "hand_cursor.png", HandCursor());
  for (int size : {512, 256, 128, 96, 72, 64, 48, 32, 24, 22, 16})
    ok &= Save(dir, QString("icon_%1.png").arg(size), Icon(size));
  ok &= SaveIconSvg(dir, "icon.svg");
  return ok ? 0 : 1;
}
