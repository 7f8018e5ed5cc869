// Draws Tarnvik's pictures with QPainter so they can be regenerated exactly.
// Usage: drawpictures OUTPUT_DIR

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <QtMath>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// One set of measurements per icon size; the small one is drawn with
// fewer, bolder details instead of being scaled down.
struct IconLayout {
    QSize size;
    QRectF body;
    qreal bodyRadius;
    qreal edge;      // outline width of the case
    QPointF centre;  // platter centre (also the setting sun / spindle)
    qreal radius;    // platter outer radius
    qreal rim;       // width of the silver platter rim
    qreal sunRadius;
    QPointF pivot;  // head-arm pivot
    QPointF tip;    // read head
    qreal armWidth;
    qreal pivotRadius;
    qreal screwRadius;
    qreal screwInset;
    int waves;       // 5 draws every ripple, fewer drops the fine ones
    qreal capScale;  // larger snow caps stay visible when small
    qreal waveWidth;
    qreal shadowBlur;
    qreal shadowDrop;
};

QColor rgb(unsigned v, int a = 255)
{
    return QColor((v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff, a);
}

// Separable box blur, three passes ~ gaussian; only the alpha of a
// single-colour shadow matters.
QImage blurred(const QImage& src, int r)
{
    QImage img = src.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = img.width(), h = img.height();
    std::vector<int> a(w * h), b(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            a[y * w + x] = qAlpha(img.pixel(x, y));
    auto pass = [&](std::vector<int>& in, std::vector<int>& out, bool horiz) {
        const int n = horiz ? w : h, m = horiz ? h : w;
        for (int j = 0; j < m; ++j) {
            for (int i = 0; i < n; ++i) {
                int sum = 0, cnt = 0;
                for (int k = i - r; k <= i + r; ++k) {
                    if (k >= 0 && k < n)
                        sum += horiz ? in[j * w + k] : in[k * w + j];
                    ++cnt;
                }
                (horiz ? out[j * w + i] : out[i * w + j]) = sum / cnt;
            }
        }
    };
    for (int p = 0; p < 3; ++p) {
        pass(a, b, true);
        pass(b, a, false);
    }
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.setPixel(x, y, qRgba(0, 0, 0, a[y * w + x]));
    return out;
}

void drawScrew(QPainter& p, QPointF c, qreal r)
{
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.2);
    g.setColorAt(0, rgb(0xe9eef3));
    g.setColorAt(1, rgb(0x9aa6b3));
    p.setPen(QPen(rgb(0x1b2430), r * 0.3));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    // a single slot reads as a screw even when tiny
    p.setPen(QPen(rgb(0x4a5665), qMax<qreal>(1.0, r * 0.35), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-r * 0.55, r * 0.55), c + QPointF(r * 0.55, -r * 0.55));
}

void drawScene(QPainter& p, const IconLayout& L)
{
    const QPointF c = L.centre;
    const qreal r = L.radius - L.rim;  // visible scene radius
    const qreal horizon = c.y();

    QPainterPath disc;
    disc.addEllipse(c, r, r);
    p.save();
    p.setClipPath(disc);

    // sky
    QLinearGradient sky(0, c.y() - r, 0, horizon);
    sky.setColorAt(0, rgb(0x9fd4f2));
    sky.setColorAt(1, rgb(0xfbe7c6));
    p.fillRect(QRectF(c.x() - r, c.y() - r, 2 * r, r + 1), sky);

    // sun sinking into the valley; it doubles as the spindle hub
    QRadialGradient sun(QPointF(c.x(), horizon), L.sunRadius);
    sun.setColorAt(0, rgb(0xffd45a));
    sun.setColorAt(1, rgb(0xffa92e));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(c.x(), horizon), L.sunRadius, L.sunRadius);

    // back range (lighter, hazier)
    QPainterPath back;
    back.moveTo(c.x() - r, horizon);
    back.lineTo(c.x() - r, horizon - r * 0.30);
    back.lineTo(c.x() - r * 0.72, horizon - r * 0.48);
    back.lineTo(c.x() - r * 0.20, horizon - r * 0.10);
    back.lineTo(c.x() + r * 0.30, horizon - r * 0.05);
    back.lineTo(c.x() + r * 0.62, horizon - r * 0.42);
    back.lineTo(c.x() + r, horizon - r * 0.22);
    back.lineTo(c.x() + r, horizon);
    back.closeSubpath();
    p.setBrush(rgb(0x7f9cb8));
    p.drawPath(back);

    // two front peaks leaving a notch for the sun
    const QPointF lp(c.x() - r * 0.42, horizon - r * 0.78);
    const QPointF rp(c.x() + r * 0.46, horizon - r * 0.58);
    const QPointF notch(c.x() + r * 0.02, horizon - L.sunRadius * 0.15);
    QPainterPath front;
    front.moveTo(c.x() - r, horizon);
    front.lineTo(c.x() - r, horizon - r * 0.22);
    front.lineTo(lp);
    front.lineTo(c.x() - L.sunRadius * 0.95, horizon - L.sunRadius * 0.55);
    front.lineTo(notch);
    front.lineTo(c.x() + L.sunRadius * 0.95, horizon - L.sunRadius * 0.6);
    front.lineTo(rp);
    front.lineTo(c.x() + r, horizon - r * 0.12);
    front.lineTo(c.x() + r, horizon);
    front.closeSubpath();
    QLinearGradient rock(0, horizon - r * 0.8, 0, horizon);
    rock.setColorAt(0, rgb(0x3f6286));
    rock.setColorAt(1, rgb(0x2c4866));
    p.setBrush(rock);
    p.drawPath(front);

    // shaded flank on the left peak gives it volume
    QPainterPath shade;
    shade.moveTo(lp);
    shade.lineTo(c.x() - L.sunRadius * 0.95, horizon - L.sunRadius * 0.55);
    shade.lineTo(notch);
    shade.lineTo(c.x() - r * 0.18, horizon);
    shade.closeSubpath();
    p.setBrush(rgb(0x24405c, 150));
    p.drawPath(shade);

    // snow caps follow the peak slopes, with a zigzag snow line
    auto cap = [&](QPointF peak, QPointF leftFoot, QPointF rightFoot, qreal depth) {
        const QPointF a = peak + (leftFoot - peak) * depth;
        const QPointF b = peak + (rightFoot - peak) * depth;
        const QPointF step = (b - a) / 3.0;
        const qreal zig = r * 0.06;
        QPainterPath s;
        s.moveTo(peak);
        s.lineTo(b);
        s.lineTo(a + step * 2.0 + QPointF(0, -zig));
        s.lineTo(a + step * 1.5 + QPointF(0, zig * 0.6));
        s.lineTo(a + step * 1.0 + QPointF(0, -zig));
        s.lineTo(a);
        s.closeSubpath();
        p.setBrush(rgb(0xf7fbff));
        p.drawPath(s);
    };
    cap(lp, QPointF(c.x() - r, horizon - r * 0.22), QPointF(c.x() - L.sunRadius * 0.95, horizon - L.sunRadius * 0.55),
        0.36 * L.capScale);
    cap(rp, QPointF(c.x() + L.sunRadius * 0.95, horizon - L.sunRadius * 0.6), QPointF(c.x() + r, horizon - r * 0.12),
        0.42 * L.capScale);

    // lake
    QLinearGradient lake(0, horizon, 0, c.y() + r);
    lake.setColorAt(0, rgb(0x3aa0d8));
    lake.setColorAt(1, rgb(0x1d6aa8));
    p.setBrush(lake);
    p.drawRect(QRectF(c.x() - r, horizon, 2 * r, r + 1));

    // the range mirrored, squashed, in the still water near the shore
    QTransform mirror;
    mirror.translate(0, horizon);
    mirror.scale(1, -0.45);
    mirror.translate(0, -horizon);
    p.setBrush(rgb(0x174f80, 120));
    p.drawPath(mirror.map(front));

    // sun's reflection: shrinking bars under the spindle
    p.setBrush(rgb(0xffc24a, 220));
    const qreal barH = qMax<qreal>(1.5, L.sunRadius * 0.22);
    for (int i = 0; i < 3; ++i) {
        const qreal half = L.sunRadius * (0.95 - i * 0.28);
        const qreal y = horizon + barH * 0.6 + i * barH * 2.0;
        p.drawRoundedRect(QRectF(c.x() - half, y, 2 * half, barH), barH / 2, barH / 2);
    }

    // broken rings spreading from the sun: ripples on the lake that also
    // echo the tracks of a platter; flattened for a lying water surface
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(rgb(0xcdeeff, 170), L.waveWidth, Qt::SolidLine, Qt::RoundCap));
    struct Ripple {
        qreal radius, from, span;
        bool detail;
    };
    const Ripple ripples[] = {
        {0.50, 202, 34, false}, {0.50, 304, 34, false}, {0.80, 198, 30, true},  {0.80, 244, 26, false},
        {0.80, 285, 20, true},  {0.80, 318, 26, false}, {1.12, 222, 34, false}, {1.12, 268, 18, true},
    };
    const qreal flat = 0.42;
    for (const Ripple& rp : ripples) {
        if (rp.detail && L.waves < 5)
            continue;
        const qreal rx = rp.radius * r, ry = rx * flat;
        // Qt angles: counter-clockwise, 1/16 degree, 0 at three o'clock
        p.drawArc(QRectF(c.x() - rx, horizon - ry, 2 * rx, 2 * ry), int(rp.from * 16), int(rp.span * 16));
    }
    p.restore();
}

void drawArm(QPainter& p, const IconLayout& L)
{
    const QPointF d = L.tip - L.pivot;
    const qreal len = std::hypot(d.x(), d.y());
    const qreal angle = qRadiansToDegrees(std::atan2(d.y(), d.x()));
    p.save();
    p.translate(L.pivot);
    p.rotate(angle);

    // tapered arm, wide at the pivot
    const qreal w0 = L.armWidth, w1 = L.armWidth * 0.45;
    QPainterPath arm;
    arm.moveTo(0, -w0 / 2);
    arm.lineTo(len, -w1 / 2);
    arm.lineTo(len, w1 / 2);
    arm.lineTo(0, w0 / 2);
    arm.closeSubpath();
    QLinearGradient metal(0, -w0 / 2, 0, w0 / 2);
    metal.setColorAt(0, rgb(0xf4f7fa));
    metal.setColorAt(1, rgb(0xaab5c2));
    p.setPen(QPen(rgb(0x1b2430), L.edge * 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(metal);
    p.drawPath(arm);

    // read head
    const qreal hw = L.armWidth * 0.95, hh = L.armWidth * 0.75;
    p.drawRoundedRect(QRectF(len - hw * 0.6, -hh / 2, hw, hh), hh * 0.25, hh * 0.25);
    p.restore();

    // pivot bearing
    QRadialGradient g(L.pivot - QPointF(L.pivotRadius * 0.35, L.pivotRadius * 0.35), L.pivotRadius * 1.3);
    g.setColorAt(0, rgb(0xf4f7fa));
    g.setColorAt(1, rgb(0x8e9aa8));
    p.setPen(QPen(rgb(0x1b2430), L.edge * 0.8));
    p.setBrush(g);
    p.drawEllipse(L.pivot, L.pivotRadius, L.pivotRadius);
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(0x3a4656));
    p.drawEllipse(L.pivot, L.pivotRadius * 0.35, L.pivotRadius * 0.35);
}

QImage drawIcon(const IconLayout& L)
{
    QImage img(L.size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);

    QPainterPath bodyPath;
    bodyPath.addRoundedRect(L.body, L.bodyRadius, L.bodyRadius);

    // soft drop shadow so the case lifts off a white background
    {
        QImage sh(L.size, QImage::Format_ARGB32_Premultiplied);
        sh.fill(Qt::transparent);
        QPainter sp(&sh);
        sp.setRenderHint(QPainter::Antialiasing);
        sp.setPen(Qt::NoPen);
        sp.setBrush(QColor(0, 0, 0, 90));
        sp.translate(0, L.shadowDrop);
        sp.drawPath(bodyPath);
        sp.end();
        QPainter p(&img);
        p.drawImage(0, 0, blurred(sh, int(L.shadowBlur)));
    }

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // case
    QLinearGradient cas(0, L.body.top(), 0, L.body.bottom());
    cas.setColorAt(0, rgb(0x4b5d74));
    cas.setColorAt(1, rgb(0x2f3b4c));
    p.setPen(QPen(rgb(0x1b2430), L.edge));
    p.setBrush(cas);
    p.drawPath(bodyPath);

    // inner bevel highlight
    const qreal in = L.edge * 1.25;
    p.setPen(QPen(rgb(0xffffff, 55), L.edge * 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(L.body.adjusted(in, in, -in, -in), L.bodyRadius - in, L.bodyRadius - in);

    // screws
    const qreal si = L.screwInset;
    drawScrew(p, L.body.topLeft() + QPointF(si, si), L.screwRadius);
    drawScrew(p, L.body.topRight() + QPointF(-si, si), L.screwRadius);
    drawScrew(p, L.body.bottomLeft() + QPointF(si, -si), L.screwRadius);

    // platter rim: dark groove, then brushed-metal ring
    const QPointF c = L.centre;
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(0x1b2430));
    p.drawEllipse(c, L.radius + L.edge, L.radius + L.edge);
    QLinearGradient ring(c.x() - L.radius, c.y() - L.radius, c.x() + L.radius, c.y() + L.radius);
    ring.setColorAt(0, rgb(0xf2f5f8));
    ring.setColorAt(0.5, rgb(0xb9c3ce));
    ring.setColorAt(1, rgb(0xe3e8ee));
    p.setBrush(ring);
    p.drawEllipse(c, L.radius, L.radius);

    drawScene(p, L);

    // thin line where the scene meets the rim keeps the circle crisp
    p.setPen(QPen(rgb(0x5d6b7c, 160), L.edge * 0.6));
    p.setBrush(Qt::NoBrush);
    const qreal sr = L.radius - L.rim;
    p.drawEllipse(c, sr, sr);

    drawArm(p, L);
    p.end();
    return img;
}

QImage drawDonate(const QString& fontFamily)
{
    const QSize size(114, 26);
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF pill(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    const qreal rad = pill.height() / 2;

    // warm coral-orange, our own colour choice
    QLinearGradient fill(0, pill.top(), 0, pill.bottom());
    fill.setColorAt(0, rgb(0xf47a3c));
    fill.setColorAt(1, rgb(0xd9501f));
    p.setPen(QPen(rgb(0xa93a12), 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(pill, rad, rad);

    // glossy upper half
    QPainterPath gloss;
    gloss.addRoundedRect(pill.adjusted(2, 1.5, -2, -pill.height() / 2), rad - 2, rad - 2);
    QLinearGradient gl(0, pill.top(), 0, pill.center().y());
    gl.setColorAt(0, rgb(0xffffff, 80));
    gl.setColorAt(1, rgb(0xffffff, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(gl);
    p.drawPath(gloss);

    QFont f(fontFamily);
    f.setPixelSize(14);
    f.setBold(true);
    f.setHintingPreference(QFont::PreferFullHinting);
    const QString caption = QStringLiteral("Donate");
    const qreal textW = QFontMetricsF(f).horizontalAdvance(caption);

    // heart and caption centred as one group
    const qreal hs = 6.0, gap = 6.0, heartW = hs * 2.3;
    const qreal left = std::round((size.width() - heartW - gap - textW) / 2);
    const QPointF hc(left + heartW / 2, 13.5);
    QPainterPath heart;
    heart.moveTo(hc.x(), hc.y() + hs * 0.95);
    heart.cubicTo(hc.x() - hs * 1.45, hc.y() + hs * 0.05, hc.x() - hs * 1.05, hc.y() - hs * 1.15, hc.x(),
                  hc.y() - hs * 0.45);
    heart.cubicTo(hc.x() + hs * 1.05, hc.y() - hs * 1.15, hc.x() + hs * 1.45, hc.y() + hs * 0.05, hc.x(),
                  hc.y() + hs * 0.95);
    p.setBrush(rgb(0x8a2e0c, 90));
    p.drawPath(heart.translated(0, 1));
    p.setBrush(rgb(0xffffff));
    p.drawPath(heart);

    // caption with a faint dark offset for contrast on the orange
    p.setFont(f);
    const QRectF textBox(left + heartW + gap, 0, textW + 2, size.height());
    p.setPen(rgb(0x8a2e0c, 140));
    p.drawText(textBox.translated(0, 1), Qt::AlignLeft | Qt::AlignVCenter, caption);
    p.setPen(rgb(0xffffff));
    p.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, caption);
    p.end();
    return img;
}

}  // namespace

int main(int argc, char** argv)
{
    // no display needed
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));

    // a fixed font file keeps the caption identical on every machine
    const int fid =
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"));
    if (fid < 0) {
        std::fprintf(stderr, "DejaVu Sans Bold not found (install fonts-dejavu-core)\n");
        return 1;
    }
    const QString family = QFontDatabase::applicationFontFamilies(fid).value(0);

    IconLayout big;
    big.size = QSize(191, 181);
    big.body = QRectF(16.5, 3.5, 158, 170);
    big.bodyRadius = 16;
    big.edge = 2.0;
    big.centre = QPointF(95.5, 80.5);
    big.radius = 66;
    big.rim = 6;
    big.sunRadius = 15;
    big.pivot = QPointF(150, 150);
    big.tip = QPointF(88, 118);
    big.armWidth = 11;
    big.pivotRadius = 11;
    big.screwRadius = 5;
    big.screwInset = 12;
    big.waves = 5;
    big.capScale = 1.0;
    big.waveWidth = 2.2;
    big.shadowBlur = 3;
    big.shadowDrop = 3;

    IconLayout small;
    small.size = QSize(96, 96);
    small.body = QRectF(8, 2, 80, 89);
    small.bodyRadius = 9;
    small.edge = 1.5;
    small.centre = QPointF(48, 42);
    small.radius = 35;
    small.rim = 3.5;
    small.sunRadius = 8.5;
    small.pivot = QPointF(76, 79);
    small.tip = QPointF(45, 63);
    small.armWidth = 7;
    small.pivotRadius = 6.5;
    small.screwRadius = 3;
    small.screwInset = 6.5;
    small.waves = 3;
    small.capScale = 1.3;
    small.waveWidth = 1.6;
    small.shadowBlur = 2;
    small.shadowDrop = 2;

    bool ok = drawIcon(big).save(out.filePath(QStringLiteral("Tarnvikicon.png")), "PNG", 0);
    ok = drawIcon(small).save(out.filePath(QStringLiteral("Tarnvikicon96.png")), "PNG", 0) && ok;
    ok = drawDonate(family).save(out.filePath(QStringLiteral("paypal.png")), "PNG", 0) && ok;
    if (!ok) {
        std::fprintf(stderr, "could not write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
