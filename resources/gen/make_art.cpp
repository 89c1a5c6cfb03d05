// Draws the program's bitmaps, icon and busy animation and writes them to resources/art/.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;
static void u16(Bytes& b, uint32_t v) { b.push_back(v & 255); b.push_back((v >> 8) & 255); }
static void u32(Bytes& b, uint32_t v) { u16(b, v & 0xffff); u16(b, v >> 16); }
static void tag(Bytes& b, const char* t) { b.insert(b.end(), t, t + 4); }
static void put32(Bytes& b, size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 255; }

// Standard VGA 16 colours as R,G,B.
static const uint8_t kVga[16][3] = {
    {0,0,0},{128,0,0},{0,128,0},{128,128,0},{0,0,128},{128,0,128},{0,128,128},{192,192,192},
    {128,128,128},{255,0,0},{0,255,0},{255,255,0},{0,0,255},{255,0,255},{0,255,255},{255,255,255}};
enum { BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE };

static void infoHeader(Bytes& b, int w, int h, int bpp, uint32_t imageSize, int colours) {
    u32(b, 40); u32(b, w); u32(b, h); u16(b, 1); u16(b, bpp); u32(b, 0); u32(b, imageSize);
    u32(b, 2835); u32(b, 2835); u32(b, colours); u32(b, 0);
}
static int stride(int w, int bpp) { return ((w * bpp + 31) / 32) * 4; }

// 4 bpp image of palette indices, row 0 at top.
static Bytes pixels4(const std::vector<uint8_t>& px, int w, int h) {
    Bytes out; int s = stride(w, 4);
    for (int y = h - 1; y >= 0; --y) {
        Bytes row(s, 0);
        for (int x = 0; x < w; ++x) row[x / 2] |= (x % 2 ? px[y * w + x] : px[y * w + x] << 4);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}
static void vgaPalette(Bytes& b) { for (auto& c : kVga) { b.push_back(c[2]); b.push_back(c[1]); b.push_back(c[0]); b.push_back(0); } }

static Bytes bmp4(const std::vector<uint8_t>& px, int w, int h) {
    Bytes data = pixels4(px, w, h), b;
    tag(b, "BM\0\0"); b.resize(2); u32(b, 14 + 40 + 64 + data.size()); u32(b, 0); u32(b, 14 + 40 + 64);
    infoHeader(b, w, h, 4, data.size(), 16); vgaPalette(b); b.insert(b.end(), data.begin(), data.end());
    return b;
}
struct Rgb { uint8_t r, g, b; };
static Bytes bmp24(const std::vector<Rgb>& px, int w, int h) {
    Bytes data; int s = stride(w, 24);
    for (int y = h - 1; y >= 0; --y) {
        size_t start = data.size();
        for (int x = 0; x < w; ++x) { const Rgb& c = px[y * w + x]; data.push_back(c.b); data.push_back(c.g); data.push_back(c.r); }
        data.resize(start + s, 0);
    }
    Bytes b; tag(b, "BM\0\0"); b.resize(2); u32(b, 14 + 40 + data.size()); u32(b, 0); u32(b, 54);
    infoHeader(b, w, h, 24, data.size(), 0); b.insert(b.end(), data.begin(), data.end());
    return b;
}

// Round lamp: dark rim, body colour, optional highlight, on dialog grey.
static std::vector<uint8_t> lamp(int size, uint8_t body, bool lit) {
    std::vector<uint8_t> px(size * size, SILVER);
    double c = (size - 1) / 2.0, r = size / 2.0 - 1.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double d = std::hypot(x - c, y - c);
            if (d <= r - 1.3) px[y * size + x] = body;
            else if (d <= r) px[y * size + x] = (x + y < 2 * c) ? GREY : BLACK;
            if (lit && std::hypot(x - c + r / 2.5, y - c + r / 2.5) < r / 4.0) px[y * size + x] = WHITE;
        }
    return px;
}

// Jog push button: classic bevel, arrow glyph ">>" or "<<", pressed or focused.
static std::vector<Rgb> jogButton(bool forward, int state) {  // 0 up, 1 down, 2 focus
    const int w = 89, h = 23; const Rgb face{192,192,192}, white{255,255,255}, dark{128,128,128}, black{0,0,0};
    std::vector<Rgb> px(w * h, face);
    auto set = [&](int x, int y, Rgb c) { if (x >= 0 && x < w && y >= 0 && y < h) px[y * w + x] = c; };
    for (int x = 0; x < w; ++x) for (int y = 0; y < h; ++y) {
        bool top = y == 0 || x == 0, bottom = y == h - 1 || x == w - 1;
        bool top2 = y == 1 || x == 1, bottom2 = y == h - 2 || x == w - 2;
        if (x > w - 1 || y > h - 1) continue;
        if (state == 1) { if (top || bottom) set(x, y, black); else if (top2 || bottom2) set(x, y, dark); }
        else {
            if (bottom) set(x, y, black); else if (top) set(x, y, white);
            else if (bottom2) set(x, y, dark);
        }
    }
    int shift = state == 1 ? 1 : 0;
    // Two filled triangles, 7 px wide, 13 px tall, centred.
    int cx = w / 2 + shift, cy = h / 2 + shift;
    for (int t = 0; t < 2; ++t) {
        int base = cx - 8 + t * 9;
        for (int i = 0; i < 7; ++i) {
            int half = forward ? 6 - i : i;
            for (int dy = -half; dy <= half; ++dy) set(base + i, cy + dy, black);
        }
    }
    if (state == 2)
        for (int x = 4; x < w - 4; ++x) for (int y = 4; y < h - 4; ++y)
            if ((x == 4 || x == w - 5 || y == 4 || y == h - 5) && (x + y) % 2 == 0) set(x, y, black);
    return px;
}

// AVI: 8 bpp BI_RGB frames, one video stream, idx1 index.
static Bytes busyAvi(int w, int h, int frames, int fps, const std::string& frameDir) {
    int s = stride(w, 8); uint32_t frameSize = s * h;
    Bytes pal; for (int i = 0; i < 256; ++i) { uint8_t c[3] = {192,192,192};
        if (i < 16) { c[0] = kVga[i][0]; c[1] = kVga[i][1]; c[2] = kVga[i][2]; }
        pal.push_back(c[2]); pal.push_back(c[1]); pal.push_back(c[0]); pal.push_back(0); }
    std::vector<Bytes> images;
    for (int f = 0; f < frames; ++f) {
        std::vector<uint8_t> px(w * h, SILVER);
        const int dots = 8;
        for (int d = 0; d < dots; ++d) {
            int cx = 4 + d * 8, cy = h / 2; int lit = (f / 2) % dots;
            uint8_t col = d == lit ? LIME : (d == (lit + dots - 1) % dots ? GREEN : GREY);
            for (int y = 0; y < h; ++y) for (int x = 0; x < w; ++x)
                if (std::hypot(x - cx + 0.5, y - cy + 0.5) <= 3.0) px[y * w + x] = col;
        }
        Bytes data;
        for (int y = h - 1; y >= 0; --y) { size_t st = data.size(); data.insert(data.end(), px.begin() + y * w, px.begin() + y * w + w); data.resize(st + s, 0); }
        images.push_back(data);
        if (!frameDir.empty()) {
            Bytes b; tag(b, "BM\0\0"); b.resize(2); u32(b, 14 + 40 + 1024 + frameSize); u32(b, 0); u32(b, 14 + 40 + 1024);
            infoHeader(b, w, h, 8, frameSize, 256); b.insert(b.end(), pal.begin(), pal.end()); b.insert(b.end(), data.begin(), data.end());
            char name[64]; std::snprintf(name, sizeof name, "/frame_%02d.bmp", f);
            if (FILE* fp = std::fopen((frameDir + name).c_str(), "wb")) { std::fwrite(b.data(), 1, b.size(), fp); std::fclose(fp); }
        }
    }
    Bytes b; tag(b, "RIFF"); u32(b, 0); tag(b, "AVI ");
    tag(b, "LIST"); size_t hdrlSize = b.size(); u32(b, 0); tag(b, "hdrl");
    tag(b, "avih"); u32(b, 56);
    u32(b, 1000000 / fps); u32(b, frameSize * fps); u32(b, 0); u32(b, 0x10 /*AVIF_HASINDEX*/);
    u32(b, frames); u32(b, 0); u32(b, 1); u32(b, frameSize); u32(b, w); u32(b, h); u32(b, 0); u32(b, 0); u32(b, 0); u32(b, 0);
    tag(b, "LIST"); size_t strlSize = b.size(); u32(b, 0); tag(b, "strl");
    tag(b, "strh"); u32(b, 56); tag(b, "vids"); tag(b, "DIB "); u32(b, 0); u16(b, 0); u16(b, 0); u32(b, 0);
    u32(b, 1); u32(b, fps); u32(b, 0); u32(b, frames); u32(b, frameSize); u32(b, 0xffffffff); u32(b, 0);
    u16(b, 0); u16(b, 0); u16(b, w); u16(b, h);
    tag(b, "strf"); u32(b, 40 + 1024); infoHeader(b, w, h, 8, frameSize, 256); b.insert(b.end(), pal.begin(), pal.end());
    put32(b, strlSize, b.size() - strlSize - 4); put32(b, hdrlSize, b.size() - hdrlSize - 4);
    tag(b, "LIST"); size_t moviSize = b.size(); u32(b, 0); size_t moviStart = b.size(); tag(b, "movi");
    std::vector<uint32_t> offsets;
    for (auto& img : images) { offsets.push_back(b.size() - moviStart); tag(b, "00db"); u32(b, img.size()); b.insert(b.end(), img.begin(), img.end()); if (img.size() % 2) b.push_back(0); }
    put32(b, moviSize, b.size() - moviSize - 4);
    tag(b, "idx1"); u32(b, 16 * frames);
    for (uint32_t off : offsets) { tag(b, "00db"); u32(b, 0x10 /*AVIIF_KEYFRAME*/); u32(b, off); u32(b, frameSize); }
    put32(b, 4, b.size() - 8);
    return b;
}

// Icon image: 4 bpp XOR bitmap plus AND mask (transparent outside the gear).
static Bytes iconImage(int n) {
    std::vector<uint8_t> px(n * n, BLACK), mask(n * n, 1);
    double c = (n - 1) / 2.0, R = n * 0.47, r = n * 0.36, hub = n * 0.14;
    for (int y = 0; y < n; ++y) for (int x = 0; x < n; ++x) {
        double d = std::hypot(x - c, y - c), a = std::atan2(y - c, x - c);
        bool tooth = std::fmod(a + 4 * M_PI + M_PI / 8, M_PI / 4) < M_PI / 8;
        if (d <= r || (tooth && d <= R)) { px[y * n + x] = d > r - 1.5 && d <= r ? NAVY : BLUE; mask[y * n + x] = 0; }
        if (d <= hub) px[y * n + x] = WHITE;
        if (tooth && d > r && d <= R && d > R - 1.2) px[y * n + x] = NAVY;
    }
    Bytes xorData = pixels4(px, n, n), andData; int s = stride(n, 1);
    for (int y = n - 1; y >= 0; --y) { Bytes row(s, 0); for (int x = 0; x < n; ++x) if (mask[y * n + x]) row[x / 8] |= 0x80 >> (x % 8); andData.insert(andData.end(), row.begin(), row.end()); }
    Bytes b; infoHeader(b, n, 2 * n, 4, xorData.size() + andData.size(), 16); vgaPalette(b);
    b.insert(b.end(), xorData.begin(), xorData.end()); b.insert(b.end(), andData.begin(), andData.end());
    return b;
}
static Bytes icon() {
    Bytes i32 = iconImage(32), i16 = iconImage(16), b;
    u16(b, 0); u16(b, 1); u16(b, 2);
    uint32_t off = 6 + 2 * 16;
    for (auto* img : {&i32, &i16}) { int n = img == &i32 ? 32 : 16;
        b.push_back(n); b.push_back(n); b.push_back(16); b.push_back(0); u16(b, 1); u16(b, 4); u32(b, img->size()); u32(b, off); off += img->size(); }
    b.insert(b.end(), i32.begin(), i32.end()); b.insert(b.end(), i16.begin(), i16.end());
    return b;
}

static uint32_t rd32(const Bytes& b, size_t at) { return at + 4 <= b.size() ? b[at] | b[at+1] << 8 | b[at+2] << 16 | uint32_t(b[at+3]) << 24 : 0; }
static uint16_t rd16(const Bytes& b, size_t at) { return at + 2 <= b.size() ? b[at] | b[at+1] << 8 : 0; }

static bool writeChecked(const std::string& path, const Bytes& b) {
    FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp || std::fwrite(b.data(), 1, b.size(), fp) != b.size() || std::fclose(fp) != 0) { std::fprintf(stderr, "cannot write %s\n", path.c_str()); return false; }
    Bytes back; if (FILE* in = std::fopen(path.c_str(), "rb")) { int ch; while ((ch = std::fgetc(in)) != EOF) back.push_back(ch); std::fclose(in); }
    if (back != b) { std::fprintf(stderr, "%s: read back differs\n", path.c_str()); return false; }
    return true;
}
// Re-checks a BMP: file size field, offset, header size, dimensions, depth, image size.
static bool checkBmp(const std::string& path, const Bytes& b, int w, int h, int bpp) {
    bool ok = b.size() > 54 && b[0] == 'B' && b[1] == 'M' && rd32(b, 2) == b.size() && rd32(b, 14) == 40 &&
              int(rd32(b, 18)) == w && int(rd32(b, 22)) == h && rd16(b, 28) == bpp && rd32(b, 30) == 0 &&
              rd32(b, 10) + uint32_t(stride(w, bpp) * h) == b.size() && rd32(b, 34) == uint32_t(stride(w, bpp) * h);
    if (!ok) std::fprintf(stderr, "%s: invalid bitmap\n", path.c_str());
    return ok;
}
static bool checkAvi(const Bytes& b) {
    bool ok = std::string(b.begin(), b.begin() + 4) == "RIFF" && rd32(b, 4) + 8 == b.size() && std::string(b.begin() + 8, b.begin() + 12) == "AVI ";
    if (!ok) std::fprintf(stderr, "busy.avi: invalid RIFF\n");
    return ok;
}

int main(int argc, char** argv) {
    std::string out = argc > 1 ? argv[1] : "resources/art", frames = argc > 2 ? argv[2] : "";
    bool ok = true;
    auto bmp = [&](const std::string& name, const Bytes& b, int w, int h, int bpp) { ok = writeChecked(out + "/" + name, b) && checkBmp(name, b, w, h, bpp) && ok; };
    bmp("led_off.bmp", bmp4(lamp(17, OLIVE, false), 17, 17), 17, 17, 4);
    bmp("led_on.bmp", bmp4(lamp(17, LIME, true), 17, 17), 17, 17, 4);
    const uint8_t colours[][2] = {{MAROON, RED}, {OLIVE, YELLOW}, {NAVY, BLUE}, {TEAL, AQUA}, {PURPLE, FUCHSIA}, {GREY, WHITE}, {GREEN, LIME}};
    for (int id = 119; id <= 139; ++id) {
        int k = id - 119; auto& c = colours[(k / 2) % 7];
        bmp("lamp_" + std::to_string(id) + ".bmp", bmp4(lamp(17, c[k % 2], k % 2), 17, 17), 17, 17, 4);
    }
    const char* names[] = {"jog_fwd_up", "jog_fwd_down", "jog_fwd_focus", "jog_rev_up", "jog_rev_down", "jog_rev_focus"};
    for (int i = 0; i < 6; ++i) bmp(std::string(names[i]) + ".bmp", bmp24(jogButton(i < 3, i % 3), 89, 23), 89, 23, 24);
    Bytes avi = busyAvi(64, 32, 16, 8, frames);
    ok = writeChecked(out + "/busy.avi", avi) && checkAvi(avi) && ok;
    Bytes ico = icon();
    ok = writeChecked(out + "/qzsetup.ico", ico) && rd16(ico, 2) == 1 && rd16(ico, 4) == 2 && ok;
    std::puts(ok ? "art: all files written and checked" : "art: FAILED");
    return ok ? 0 : 1;
}
