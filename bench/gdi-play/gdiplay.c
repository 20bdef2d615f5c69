/* Play times of metafile pages under a Windows GDI (run under Wine here): each file is played
 * with EnumEnhMetaFile and PlayEnhMetaFileRecord (PlayEnhMetaFile's own loop) onto a white
 * 24-bit DIB section 1000 pixels wide, the picture's frame filling it, several times; the
 * median of the play calls alone is printed as
 *     PLAY_MS <median ms> <file>
 * A Windows metafile becomes an enhanced one as SetWinMetaFileBits makes it: a placeable
 * header gives the picture size, else the first SetWindowExt at 96 dpi.
 * Two records Wine 8's player drops are played here instead, as the reference renderings
 * were made, so that GDI's time covers the whole drawing: EMR_EXTCREATEPEN (refused, so the
 * previous pen draws on) and EMR_SMALLTEXTOUT (not drawn); colour space and end records,
 * which draw nothing and which it crashes on in some files, are passed over, and region
 * fills with a stock brush, which it also crashes on, are given the brush in a free slot.
 * With --save DIR the last play of each page is also written to DIR as a BMP, to check that
 * the timed play drew the page.
 * Usage: gdiplay.exe [--width PX] [--repeats N] [--save DIR] FILE...
 * Built with x86_64-w64-mingw32-gcc by bench/gdi-play-times.sh. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static unsigned char* read_file(const char* path, size_t* size)
{
    FILE* f = fopen(path, "rb");
    if (!f)
        return NULL;
    unsigned char* bytes = NULL;
    long length = -1;
    if (fseek(f, 0, SEEK_END) == 0)
        length = ftell(f);
    if (length > 0 && length < 0x40000000 && fseek(f, 0, SEEK_SET) == 0) {
        bytes = malloc((size_t)length);
        if (bytes && fread(bytes, 1, (size_t)length, f) != (size_t)length) {
            free(bytes);
            bytes = NULL;
        }
    }
    fclose(f);
    *size = bytes ? (size_t)length : 0;
    return bytes;
}

static unsigned u16(const unsigned char* p) { return p[0] | (unsigned)p[1] << 8; }
static unsigned u32(const unsigned char* p) { return u16(p) | u16(p + 2) << 16; }
static int i16(const unsigned char* p) { return (short)u16(p); }

static int is_emf(const unsigned char* b, size_t n)
{
    return n >= 88 && u32(b) == EMR_HEADER && u32(b + 40) == ENHMETA_SIGNATURE;
}

/* The picture size in 0.01 mm that SetWinMetaFileBits is given; zero when the file names
 * none, which leaves the choice to GDI. */
static void wmf_picture_size(const unsigned char* b, size_t n, size_t* records_at, long* cx, long* cy)
{
    *records_at = 0;
    *cx = *cy = 0;
    if (n >= 22 && u32(b) == 0x9AC6CDD7u) {
        const long w = labs((long)i16(b + 10) - i16(b + 6)), h = labs((long)i16(b + 12) - i16(b + 8));
        const long inch = (long)u16(b + 14);
        *records_at = 22;
        if (w > 0 && h > 0 && inch > 0) {
            *cx = w * 2540 / inch;
            *cy = h * 2540 / inch;
            return;
        }
    }
    size_t pos = *records_at + 18;
    while (pos + 6 <= n) {
        const unsigned long words = u32(b + pos);
        const unsigned function = u16(b + pos + 4);
        if (function == 0 || words < 3 || words > (n - pos) / 2)
            break;
        if (function == 0x020C /* META_SETWINDOWEXT */ && words >= 5) {
            const long ey = labs((long)i16(b + pos + 6)), ex = labs((long)i16(b + pos + 8));
            if (ex > 0 && ey > 0) {
                *cx = ex * 2540 / 96;
                *cy = ey * 2540 / 96;
                return;
            }
        }
        pos += (size_t)words * 2;
    }
}

static HENHMETAFILE load_page(const unsigned char* b, size_t n)
{
    if (is_emf(b, n))
        return SetEnhMetaFileBits((UINT)n, b);
    size_t records_at;
    long cx, cy;
    wmf_picture_size(b, n, &records_at, &cx, &cy);
    METAFILEPICT pict = {MM_ANISOTROPIC, cx, cy, NULL};
    return SetWinMetaFileBits((UINT)(n - records_at), b + records_at, NULL, cx > 0 ? &pict : NULL);
}

static HPEN create_ext_pen(const unsigned char* r, DWORD size)
{
    /* ihPen, offBmi, cbBmi, offBits, cbBits, then the file's 32-bit EXTLOGPEN. */
    if (size < 52)
        return NULL;
    const DWORD style = u32(r + 28), width = u32(r + 32), entries = u32(r + 48);
    LOGBRUSH brush = {u32(r + 36), u32(r + 40), u32(r + 44)};
    DWORD dashes[16];
    const DWORD count = entries <= 16 && 52 + entries * 4 <= size ? entries : 0;
    for (DWORD i = 0; i < count; ++i)
        dashes[i] = u32(r + 52 + i * 4);
    if (brush.lbStyle != BS_SOLID && brush.lbStyle != BS_HOLLOW && brush.lbStyle != BS_HATCHED)
        brush.lbStyle = BS_SOLID;
    HPEN pen = ExtCreatePen(style, width, &brush, count, count ? dashes : NULL);
    return pen ? pen : CreatePen((int)(style & PS_STYLE_MASK) <= PS_INSIDEFRAME ? (int)(style & PS_STYLE_MASK) : PS_SOLID, (int)width, brush.lbColor);
}

static void small_text_out(HDC dc, const unsigned char* r, DWORD size)
{
    /* ptlReference, cChars, fuOptions, iGraphicsMode, exScale, eyScale, [rclClip], chars */
    if (size < 36)
        return;
    const int x = (int)u32(r + 8), y = (int)u32(r + 12);
    const DWORD count = u32(r + 16), options = u32(r + 20);
    DWORD at = 36;
    RECT clip = {0, 0, 0, 0};
    if (!(options & 0x100 /* ETO_NO_RECT */)) {
        if (size < at + 16)
            return;
        clip = (RECT){(LONG)u32(r + at), (LONG)u32(r + at + 4), (LONG)u32(r + at + 8), (LONG)u32(r + at + 12)};
        at += 16;
    }
    const int narrow = (options & 0x200 /* ETO_SMALL_CHARS */) != 0;
    if (count > 8192 || at + count * (narrow ? 1 : 2) > size)
        return;
    WCHAR text[8192];
    for (DWORD i = 0; i < count; ++i)
        text[i] = narrow ? r[at + i] : (WCHAR)u16(r + at + 2 * i);
    const UINT flags = options & ~(0x100u | 0x200u);
    ExtTextOutW(dc, x, y, flags, (options & 0x100) ? NULL : &clip, text, count, NULL);
}

/* Region fills naming a stock brush, which Wine's player looks up in the handle table: the
 * brush is lent a free slot for the one record. */
static void play_region_with_stock_brush(HDC dc, HANDLETABLE* handles, const ENHMETARECORD* record, int objects)
{
    const unsigned char* r = (const unsigned char*)record;
    const DWORD brush = u32(r + 28);
    int slot = 1;
    while (slot < objects && handles->objectHandle[slot])
        ++slot;
    ENHMETARECORD* copy = slot < objects ? malloc(record->nSize) : NULL;
    if (!copy)
        return;
    memcpy(copy, record, record->nSize);
    const DWORD index = (DWORD)slot;
    memcpy((unsigned char*)copy + 28, &index, sizeof index);
    handles->objectHandle[slot] = GetStockObject((int)(brush & 0x7FFFFFFF));
    PlayEnhMetaFileRecord(dc, handles, copy, (UINT)objects);
    handles->objectHandle[slot] = NULL;
    free(copy);
}

static int CALLBACK play_record(HDC dc, HANDLETABLE* handles, const ENHMETARECORD* record, int objects, LPARAM unused)
{
    (void)unused;
    const unsigned char* r = (const unsigned char*)record;
    if (record->iType == EMR_EXTCREATEPEN && record->nSize >= 12) {
        const DWORD index = u32(r + 8);
        if (index > 0 && (int)index < objects) {
            if (handles->objectHandle[index])
                DeleteObject(handles->objectHandle[index]);
            handles->objectHandle[index] = create_ext_pen(r, record->nSize);
        }
        return 1;
    }
    /* Wine's player reads past its handle table on the colour space records of spool pages
     * and on some end records; neither draws anything. */
    if (record->iType == EMR_EOF || (record->iType >= EMR_CREATECOLORSPACE && record->iType <= EMR_DELETECOLORSPACE))
        return 1;
    if (record->iType == 108 /* EMR_SMALLTEXTOUT */) {
        small_text_out(dc, r, record->nSize);
        return 1;
    }
    if ((record->iType == EMR_FILLRGN || record->iType == EMR_FRAMERGN) && record->nSize >= 32 && (u32(r + 28) & 0x80000000u)) {
        play_region_with_stock_brush(dc, handles, record, objects);
        return 1;
    }
    PlayEnhMetaFileRecord(dc, handles, record, (UINT)objects);
    return 1;
}

static int compare_doubles(const void* a, const void* b)
{
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

static void save_bmp(const char* dir, const char* page, const BITMAPINFOHEADER* header, const void* bits)
{
    const char* name = page;
    for (const char* p = page; *p; ++p)
        if (*p == '/' || *p == '\\')
            name = p + 1;
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s/%s.bmp", dir, name);
    const DWORD row = ((DWORD)header->biWidth * 3 + 3) & ~3u;
    const DWORD image = row * (DWORD)header->biHeight;
    BITMAPFILEHEADER file = {0x4D42, (DWORD)(sizeof file + sizeof *header) + image, 0, 0, (DWORD)(sizeof file + sizeof *header)};
    FILE* f = fopen(path, "wb");
    if (!f || fwrite(&file, sizeof file, 1, f) != 1 || fwrite(header, sizeof *header, 1, f) != 1 || fwrite(bits, image, 1, f) != 1)
        fprintf(stderr, "gdiplay: cannot write %s\n", path);
    if (f)
        fclose(f);
}

/* The median play time in milliseconds, or a negative value when the page cannot be played. */
static double time_page(HENHMETAFILE emf, int width, int repeats, const char* save_dir, const char* file)
{
    ENHMETAHEADER header;
    if (!GetEnhMetaFileHeader(emf, sizeof header, &header))
        return -1;
    const double fw = (double)header.rclFrame.right - header.rclFrame.left;
    const double fh = (double)header.rclFrame.bottom - header.rclFrame.top;
    if (fw <= 0 || fh <= 0)
        return -1;
    const int height = (int)(width * fh / fw + 0.5);
    if (height <= 0 || height > 30000)
        return -1;

    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!dc || !bitmap) {
        if (dc)
            DeleteDC(dc);
        return -1;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT page = {0, 0, width, height};
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double* times = malloc(sizeof(double) * (size_t)repeats);
    for (int i = 0; i < repeats; ++i) {
        PatBlt(dc, 0, 0, width, height, WHITENESS);
        GdiFlush();
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        EnumEnhMetaFile(dc, emf, play_record, NULL, &page);
        GdiFlush();
        QueryPerformanceCounter(&end);
        times[i] = (double)(end.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart;
    }
    if (save_dir)
        save_bmp(save_dir, file, &info.bmiHeader, bits);
    qsort(times, (size_t)repeats, sizeof(double), compare_doubles);
    const double median = repeats % 2 ? times[repeats / 2] : (times[repeats / 2 - 1] + times[repeats / 2]) / 2;
    free(times);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return median;
}

int main(int argc, char** argv)
{
    int width = 1000, repeats = 9, failures = 0;
    const char* save_dir = NULL;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--width") && i + 1 < argc) {
            width = atoi(argv[++i]);
            continue;
        }
        if (!strcmp(argv[i], "--repeats") && i + 1 < argc) {
            repeats = atoi(argv[++i]);
            continue;
        }
        if (!strcmp(argv[i], "--save") && i + 1 < argc) {
            save_dir = argv[++i];
            continue;
        }
        if (width <= 0 || width > 30000 || repeats <= 0) {
            fprintf(stderr, "gdiplay: --width must be 1 to 30000 and --repeats at least 1\n");
            return 2;
        }
        size_t size;
        unsigned char* bytes = read_file(argv[i], &size);
        HENHMETAFILE emf = bytes ? load_page(bytes, size) : NULL;
        const double ms = emf ? time_page(emf, width, repeats, save_dir, argv[i]) : -1;
        if (ms < 0) {
            fprintf(stderr, "gdiplay: %s: %s\n", argv[i], !bytes ? "cannot read the file" : !emf ? "not a metafile GDI accepts" : "no page to play");
            ++failures;
        } else {
            printf("PLAY_MS %.3f %s\n", ms, argv[i]);
            fflush(stdout);
        }
        if (emf)
            DeleteEnhMetaFile(emf);
        free(bytes);
    }
    return failures ? 1 : 0;
}
