// Draws the plug-in's own images at build time and writes them in the file
// formats the resource compiler takes:
//   about.bmp   425 x 250, 8 bits a pixel with a 256-colour palette
//   banner.bmp  20 x 800, the band down the parameter dialog's left edge
//   tavirel.ico 16 x 16 (first: the size the dialog's foot has room for)
//               and 32 x 32, 32 bits with an AND mask
//   hand.cur    open hand: 32 x 32 mono, 16 x 16 16-colour, 16 x 16 mono; hot spot (8, 8)
//   target.cur  circle with a cross, black with a white outline: 32 x 32 and
//               16 x 16 mono; hot spot (7, 7)
// Usage: GenerateArtwork OUTPUT_FOLDER
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <stb/stb_easy_font.h>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    uint8_t r, g, b;
};

// Hue in turns (0..1) at full saturation and the given brightness.
Rgb HueColour(double turns, double brightness) {
    const double h = std::fmod(turns, 1.0) * 6.0;
    const double x = 1.0 - std::fabs(std::fmod(h, 2.0) - 1.0);
    double r = 0, g = 0, b = 0;
    switch (int(h)) {
        case 0: r = 1, g = x; break;
        case 1: r = x, g = 1; break;
        case 2: g = 1, b = x; break;
        case 3: g = x, b = 1; break;
        case 4: r = x, b = 1; break;
        default: r = 1, b = x; break;
    }
    auto c = [brightness](double v) { return uint8_t(std::lround(v * brightness * 255.0)); };
    return {c(r), c(g), c(b)};
}

class Writer {
public:
    void U8(unsigned v) { bytes.push_back(uint8_t(v)); }
    void U16(unsigned v) { U8(v & 0xFF), U8(v >> 8); }
    void U32(uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
    void Append(const std::vector<uint8_t>& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }
    std::vector<uint8_t> bytes;
};

bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

void InfoHeader(Writer& w, int width, int height, int bits, int colours) {
    w.U32(40), w.U32(uint32_t(width)), w.U32(uint32_t(height));
    w.U16(1), w.U16(unsigned(bits)), w.U32(0), w.U32(0);
    w.U32(2835), w.U32(2835), w.U32(uint32_t(colours)), w.U32(0);
}

int RowBytes(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

// A canvas of palette indices, row 0 at the top.
struct IndexedImage {
    int width, height;
    std::vector<uint8_t> pixels;
    std::vector<Rgb> palette;  // 256 entries
    IndexedImage(int w, int h) : width(w), height(h), pixels(size_t(w) * h, 0), palette(256, Rgb{0, 0, 0}) {}
    void Set(int x, int y, uint8_t index) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[size_t(y) * width + x] = index;
    }
};

std::vector<uint8_t> BitmapFile8(const IndexedImage& image) {
    Writer dib;
    InfoHeader(dib, image.width, image.height, 8, 256);
    for (const Rgb& c : image.palette) dib.U8(c.b), dib.U8(c.g), dib.U8(c.r), dib.U8(0);
    const int stride = RowBytes(image.width, 8);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < stride; ++x) dib.U8(x < image.width ? image.pixels[size_t(y) * image.width + x] : 0);
    }
    Writer file;
    file.U8('B'), file.U8('M'), file.U32(uint32_t(14 + dib.bytes.size())), file.U32(0);
    file.U32(14 + 40 + 256 * 4);
    file.Append(dib.bytes);
    return file.bytes;
}

// Text through stb_easy_font's quads, each scaled by `scale`.
void DrawText(IndexedImage& image, const char* text, int x0, int y0, int scale, uint8_t index) {
    static char vertices[60000];
    const int quads = stb_easy_font_print(0, 0, const_cast<char*>(text), nullptr, vertices, sizeof vertices);
    for (int q = 0; q < quads; ++q) {
        float* v = reinterpret_cast<float*>(vertices + q * 64);
        const float left = v[0], top = v[1], right = v[8], bottom = v[9];
        for (int y = int(top * scale); y < int(bottom * scale); ++y)
            for (int x = int(left * scale); x < int(right * scale); ++x) image.Set(x0 + x, y0 + y, index);
    }
}

// Palette: 0..191 hues around the circle, 192..255 a grey ramp.
constexpr int kHueEntries = 192;
uint8_t HueIndex(double turns) { return uint8_t(int(std::fmod(turns + 1.0, 1.0) * kHueEntries) % kHueEntries); }
uint8_t Grey(int level) { return uint8_t(192 + level * 63 / 255); }

IndexedImage AboutPicture() {
    IndexedImage image(425, 250);
    for (int i = 0; i < kHueEntries; ++i) image.palette[i] = HueColour(double(i) / kHueEntries, 1.0);
    for (int i = 0; i < 64; ++i) {
        const uint8_t v = uint8_t(i * 255 / 63);
        image.palette[192 + i] = Rgb{v, v, v};
    }
    // A dark ground that lightens a little towards the bottom.
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) image.Set(x, y, Grey(24 + y * 24 / image.height));

    // The hue ring, red at the top, turning clockwise.
    const double cx = 110, cy = 125, outer = 84, inner = 58;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const double dx = x - cx, dy = y - cy, r = std::sqrt(dx * dx + dy * dy);
            if (r < inner || r > outer) continue;
            const double turns = std::atan2(dx, -dy) / (2 * kPi);
            image.Set(x, y, HueIndex(turns));
        }
    }
    // The exchange: an arc inside the ring from red (0 turns) to teal (0.5
    // turns), ending in an arrow head, drawn in white.
    const uint8_t white = Grey(255);
    const double arc = 44;
    for (double t = 0.02; t <= 0.46; t += 0.0005) {
        const double a = t * 2 * kPi;
        for (double w = -2; w <= 2; w += 0.5)
            image.Set(int(std::lround(cx + (arc + w) * std::sin(a))), int(std::lround(cy - (arc + w) * std::cos(a))),
                      white);
    }
    const double tipAngle = 0.48 * 2 * kPi;
    const double tipX = cx + arc * std::sin(tipAngle), tipY = cy - arc * std::cos(tipAngle);
    for (int i = 0; i <= 14; ++i) {  // a filled triangle pointing along the arc (leftwards at the bottom)
        for (int j = -i / 2; j <= i / 2; ++j) image.Set(int(tipX) + 14 - i, int(tipY) + j, white);
    }
    // Source and destination dots on the ring.
    for (int k = 0; k < 2; ++k) {
        const double a = k * kPi;
        const double px = cx + (outer + inner) / 2 * std::sin(a), py = cy - (outer + inner) / 2 * std::cos(a);
        for (int y = -9; y <= 9; ++y)
            for (int x = -9; x <= 9; ++x) {
                const int rr = x * x + y * y;
                if (rr <= 81) image.Set(int(px) + x, int(py) + y, rr >= 56 ? white : HueIndex(k * 0.5));
            }
    }

    // Each line at the largest scale (up to the one asked) that ends inside the picture.
    auto fitted = [&](const char* text, int x, int largest) {
        int scale = largest;
        while (scale > 1 && x + stb_easy_font_width(const_cast<char*>(text)) * scale > image.width - 8) --scale;
        return scale;
    };
    DrawText(image, "Tavirel I", 212, 70, fitted("Tavirel I", 212, 5), white);
    DrawText(image, "Hue exchange filter", 214, 130, fitted("Hue exchange filter", 214, 2), Grey(210));
    DrawText(image, "Moves the colours near one hue", 214, 160, 1, Grey(190));
    DrawText(image, "onto another, in 8 and 16 bits.", 214, 174, 1, Grey(190));
    DrawText(image, "Click, Enter or Esc to close", 214, 222, 1, Grey(140));
    return image;
}

IndexedImage Banner() {
    IndexedImage image(20, 800);
    for (int i = 0; i < kHueEntries; ++i) image.palette[i] = HueColour(double(i) / kHueEntries, 0.8);
    for (int i = 0; i < 64; ++i) {
        const uint8_t v = uint8_t(i * 255 / 63);
        image.palette[192 + i] = Rgb{v, v, v};
    }
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            image.Set(x, y, x == image.width - 1 ? Grey(40) : HueIndex(double(y) / 400.0));
    return image;
}

// A 32-bit icon image with its AND mask (all zero: the alpha channel decides).
std::vector<uint8_t> IconImage32(int size) {
    Writer w;
    InfoHeader(w, size, size * 2, 32, 0);
    const double c = (size - 1) / 2.0, outer = size / 2.0 - 0.5, inner = outer * 0.55;
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const double dx = x - c, dy = y - c, r = std::sqrt(dx * dx + dy * dy);
            Rgb colour{0, 0, 0};
            unsigned alpha = 0;
            if (r <= outer && r >= inner) {
                colour = HueColour(std::atan2(dx, -dy) / (2 * kPi) + 1.0, 1.0);
                alpha = 255;
            } else if (r < inner && std::fabs(dy) <= size / 16.0 + 0.5 && std::fabs(dx) < inner - 1) {
                colour = Rgb{255, 255, 255};  // the exchange bar across the ring
                alpha = 255;
            }
            w.U8(colour.b), w.U8(colour.g), w.U8(colour.r), w.U8(alpha);
        }
    }
    for (int y = 0; y < size; ++y)
        for (int i = 0; i < RowBytes(size, 1); ++i) w.U8(0);
    return w.bytes;
}

// A small picture as text rows: '#' black, '.' white, anything else clear.
using Art = std::vector<std::string>;

const Art kHand = {
    "      ##        ", "   ## #.## ##   ", "  #..##..##..#  ", "  #..##..##..# #",
    "   #..#..#..# #.", "   #..#..#..##..", " ## #.......#..#", "#..##..........#",
    "#...#.........# ", " #............# ", "  #...........# ", "  #..........#  ",
    "   #.........#  ", "    #.......#   ", "     #......#   ", "     #......#   ",
};

Art Target(int size, int centre, int radius) {
    Art art(size, std::string(size, ' '));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d = std::sqrt(double((x - centre) * (x - centre) + (y - centre) * (y - centre)));
            if (std::fabs(d - radius) < 0.6 || ((x == centre || y == centre) && d <= radius + 2)) art[y][x] = '#';
        }
    return art;
}

// The same picture with every clear pixel that touches a black one (across
// an edge or a corner) turned white, so that the black shows over dark and
// light pixels alike.
Art Outlined(const Art& art) {
    Art outlined = art;
    for (int y = 0; y < int(art.size()); ++y)
        for (int x = 0; x < int(art[y].size()); ++x) {
            if (art[y][x] != ' ') continue;
            bool touches = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int ny = y + dy, nx = x + dx;
                    if (ny >= 0 && ny < int(art.size()) && nx >= 0 && nx < int(art[ny].size()) && art[ny][nx] == '#')
                        touches = true;
                }
            if (touches) outlined[y][x] = '.';
        }
    return outlined;
}

char ArtAt(const Art& art, int x, int y) { return y < int(art.size()) && x < int(art[y].size()) ? art[y][x] : ' '; }

// Cursor images: monochrome (XOR + AND) or 16-colour (4-bit XOR + AND). The
// AND mask is 1 where the screen shows through.
std::vector<uint8_t> CursorImage(const Art& art, int size, int bits) {
    Writer w;
    const int colours = bits == 1 ? 2 : 16;
    InfoHeader(w, size, size * 2, bits, colours);
    for (int i = 0; i < colours; ++i) {
        const uint8_t v = i == colours - 1 ? 255 : (bits == 1 ? 0 : uint8_t(i * 17));
        w.U8(v), w.U8(v), w.U8(v), w.U8(0);
    }
    const int xorStride = RowBytes(size, bits), andStride = RowBytes(size, 1);
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(xorStride, 0);
        for (int x = 0; x < size; ++x) {
            const unsigned value = ArtAt(art, x, y) == '.' ? colours - 1 : 0;
            if (bits == 1)
                row[x / 8] |= uint8_t(value << (7 - x % 8));
            else
                row[x / 2] |= uint8_t(value << (x % 2 ? 0 : 4));
        }
        w.Append(row);
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(andStride, 0);
        for (int x = 0; x < size; ++x)
            if (ArtAt(art, x, y) == ' ') row[x / 8] |= uint8_t(0x80 >> (x % 8));
        w.Append(row);
    }
    return w.bytes;
}

struct DirectoryEntry {
    int size, colours, hotX, hotY, bits;  // hotX / hotY are planes / bit count in icons
    std::vector<uint8_t> image;
};

std::vector<uint8_t> Directory(int type, const std::vector<DirectoryEntry>& entries) {
    Writer w;
    w.U16(0), w.U16(unsigned(type)), w.U16(unsigned(entries.size()));
    uint32_t offset = 6 + 16 * uint32_t(entries.size());
    for (const auto& e : entries) {
        w.U8(unsigned(e.size)), w.U8(unsigned(e.size)), w.U8(unsigned(e.colours)), w.U8(0);
        w.U16(unsigned(e.hotX)), w.U16(unsigned(e.hotY));
        w.U32(uint32_t(e.image.size())), w.U32(offset);
        offset += uint32_t(e.image.size());
    }
    for (const auto& e : entries) w.Append(e.image);
    return w.bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: GenerateArtwork OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const Art target32 = Outlined(Target(32, 7, 6)), target16 = Outlined(Target(16, 7, 5));
    const bool ok = Save(folder + "about.bmp", BitmapFile8(AboutPicture())) &&
                    Save(folder + "banner.bmp", BitmapFile8(Banner())) &&
                    Save(folder + "tavirel.ico",
                         Directory(1, {{16, 0, 1, 32, 32, IconImage32(16)}, {32, 0, 1, 32, 32, IconImage32(32)}})) &&
                    Save(folder + "hand.cur", Directory(2, {{32, 2, 8, 8, 1, CursorImage(kHand, 32, 1)},
                                                            {16, 16, 8, 8, 4, CursorImage(kHand, 16, 4)},
                                                            {16, 2, 8, 8, 1, CursorImage(kHand, 16, 1)}})) &&
                    Save(folder + "target.cur", Directory(2, {{32, 2, 7, 7, 1, CursorImage(target32, 32, 1)},
                                                              {16, 2, 7, 7, 1, CursorImage(target16, 16, 1)}}));
    if (!ok) {
        std::fprintf(stderr, "GenerateArtwork: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
