// Makes the colour tables of the pipeline's lookup filters (512 x 512 PNGs
// of 8 x 8 tiles, tile k for blue level k, red along x and green along y)
// into the resources folder, and the tone-curve files the tests and the
// curve-file fuzzer read.
//   make-colour-tables <resources folder> <test data folder> <fuzz seed folder>
#include <cairo.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

typedef struct {
    double r, g, b;
} Colour;

typedef Colour (*Look)(Colour);

static double clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

static double luma(Colour c)
{
    return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

// A gentle S: darker shadows, brighter highlights, ends fixed.
static double sCurve(double x, double amount)
{
    return clamp01(x - amount * sin(2.0 * M_PI * x) / (2.0 * M_PI));
}

static Colour mixColour(Colour a, Colour b, double t)
{
    Colour c = {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
    return c;
}

// Teal shadows, warm highlights, firmer contrast.
static Colour orrinval(Colour c)
{
    const double l = luma(c);
    Colour out = {sCurve(c.r, 0.6), sCurve(c.g, 0.5), sCurve(c.b, 0.4)};
    out.r = clamp01(out.r + 0.08 * (l - 0.45));
    out.g = clamp01(out.g + 0.02 * (0.5 - l));
    out.b = clamp01(out.b - 0.09 * (l - 0.55));
    return out;
}

// Brighter and lifted, a little muted.
static Colour quillBright(Colour c)
{
    Colour lifted = {1.0 - pow(1.0 - c.r, 1.35), 1.0 - pow(1.0 - c.g, 1.3), 1.0 - pow(1.0 - c.b, 1.25)};
    const double l = luma(lifted);
    Colour grey = {l, l, l};
    Colour out = mixColour(lifted, grey, 0.15);
    out.r = clamp01(0.03 + 0.97 * out.r);
    out.g = clamp01(0.03 + 0.97 * out.g);
    out.b = clamp01(0.05 + 0.95 * out.b);
    return out;
}

// Softer contrast with a rosy cast.
static Colour softElegance1(Colour c)
{
    Colour out = {clamp01(0.07 + 0.9 * c.r + 0.02), clamp01(0.06 + 0.88 * c.g), clamp01(0.08 + 0.86 * c.b)};
    return out;
}

// A faded finish: a touch of grey and a gentle gamma.
static Colour softElegance2(Colour c)
{
    const double l = luma(c);
    Colour grey = {l, l, l};
    Colour faded = mixColour(c, grey, 0.2);
    Colour out = {pow(faded.r, 0.92), pow(faded.g, 0.95), pow(faded.b, 1.02)};
    return out;
}

static int writeTable(const char* folder, const char* name, Look look)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 512, 512);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    cairo_surface_flush(surface);
    for (int y = 0; y < 512; ++y) {
        uint32_t* row = (uint32_t*)(data + (size_t)y * (size_t)stride);
        for (int x = 0; x < 512; ++x) {
            const int tile = (y / 64) * 8 + x / 64;
            Colour in = {(x % 64) / 63.0, (y % 64) / 63.0, tile / 63.0};
            Colour out = look(in);
            const uint32_t r = (uint32_t)lround(clamp01(out.r) * 255.0);
            const uint32_t g = (uint32_t)lround(clamp01(out.g) * 255.0);
            const uint32_t b = (uint32_t)lround(clamp01(out.b) * 255.0);
            row[x] = 0xff000000u | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface);
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", folder, name);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        fprintf(stderr, "cannot write %s: %s\n", path, cairo_status_to_string(status));
        return 1;
    }
    return 0;
}

// A curve file: version 4, the curve count, then each curve's points as
// big-endian (output, input) pairs; truncateTo (when not negative) cuts the
// file short to make a broken one.
typedef struct {
    int count;
    int points[16][2];  // input, output
} Curve;

static void put16(FILE* file, int value)
{
    fputc((value >> 8) & 0xff, file);
    fputc(value & 0xff, file);
}

static int writeCurveFile(const char* folder, const char* name, int declaredCurves, const Curve* curves, int curveCount,
    long truncateTo)
{
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", folder, name);
    FILE* file = fopen(path, "wb");
    if (!file) {
        perror(path);
        return 1;
    }
    put16(file, 4);
    put16(file, declaredCurves);
    for (int c = 0; c < curveCount; ++c) {
        put16(file, curves[c].count);
        for (int p = 0; p < curves[c].count; ++p) {
            put16(file, curves[c].points[p][1]);
            put16(file, curves[c].points[p][0]);
        }
    }
    if (truncateTo >= 0) {
        fflush(file);
        if (ftruncate(fileno(file), truncateTo) != 0) {
            perror(path);
            fclose(file);
            return 1;
        }
    }
    return fclose(file) == 0 ? 0 : 1;
}

// Four curves, the last claiming 65535 points of which two follow.
static int writeBoastfulCurveFile(const char* folder, const char* name)
{
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", folder, name);
    FILE* file = fopen(path, "wb");
    if (!file) {
        perror(path);
        return 1;
    }
    put16(file, 4);
    put16(file, 4);
    for (int c = 0; c < 3; ++c) {
        put16(file, 2);
        put16(file, 0);
        put16(file, 0);
        put16(file, 255);
        put16(file, 255);
    }
    put16(file, 65535);
    for (int p = 0; p < 4; ++p)
        put16(file, p * 60);
    return fclose(file) == 0 ? 0 : 1;
}

static const Curve kIdentity = {2, {{0, 0}, {255, 255}}};
static const Curve kContrast = {4, {{0, 0}, {64, 44}, {192, 212}, {255, 255}}};
static const Curve kRedLift = {3, {{0, 20}, {128, 150}, {255, 255}}};
static const Curve kBlueDrop = {3, {{0, 0}, {128, 100}, {255, 230}}};
static const Curve kGreenBand = {4, {{51, 0}, {100, 90}, {160, 180}, {204, 255}}};
static const Curve kEmpty = {0, {{0, 0}}};

static int writeCurveFiles(const char* folder)
{
    int failures = 0;
    const Curve contrast[] = {kContrast, kIdentity, kIdentity, kIdentity};
    failures += writeCurveFile(folder, "contrast.acv", 4, contrast, 4, -1);
    const Curve colours[] = {kIdentity, kRedLift, kGreenBand, kBlueDrop, kContrast};
    failures += writeCurveFile(folder, "colours.acv", 5, colours, 5, -1);
    const Curve emptyRed[] = {kContrast, kEmpty, kIdentity, kIdentity};
    failures += writeCurveFile(folder, "empty-red.acv", 4, emptyRed, 4, -1);
    // Broken files: three curves only; one that ends inside its last curve;
    // one whose count claims far more points than follow.
    failures += writeCurveFile(folder, "three-curves.acv", 3, contrast, 3, -1);
    failures += writeCurveFile(folder, "truncated.acv", 4, contrast, 4, 4 + 2 + 16 + 2 + 8 + 2 + 8 + 2 + 4);
    failures += writeBoastfulCurveFile(folder, "boastful-count.acv");
    return failures;
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s <resources folder> <test data folder> <fuzz seed folder>\n", argv[0]);
        return 2;
    }
    int failures = 0;
    failures += writeTable(argv[1], "lookup_orrinval.png", orrinval);
    failures += writeTable(argv[1], "lookup_quill_bright.png", quillBright);
    failures += writeTable(argv[1], "lookup_soft_elegance_1.png", softElegance1);
    failures += writeTable(argv[1], "lookup_soft_elegance_2.png", softElegance2);
    failures += writeCurveFiles(argv[2]);
    failures += writeCurveFiles(argv[3]);
    return failures == 0 ? 0 : 1;
}
