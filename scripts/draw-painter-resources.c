/* Draws the pictures of the painter's colour picker with cairo: the hue and
 * saturation wheel, the knob, the checkerboard tile and the swatch's check
 * mark. Build and run it through scripts/draw-resources.sh, which writes the
 * pictures into resources/. */
#include <cairo.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>

#include "draw-common.h"

static void hsv_to_rgb(double h, double s, double v, double* r, double* g, double* b)
{
    double sector = fmod(h, 1.0) * 6.0;
    int i = (int)floor(sector);
    double f = sector - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (i % 6) {
    case 0: *r = v, *g = t, *b = p; break;
    case 1: *r = q, *g = v, *b = p; break;
    case 2: *r = p, *g = v, *b = t; break;
    case 3: *r = p, *g = q, *b = v; break;
    case 4: *r = t, *g = p, *b = v; break;
    default: *r = v, *g = p, *b = q; break;
    }
}

/* The hue and saturation disc, 165 x 165: hue 0 (red) to the right of the
 * centre, growing counter-clockwise on the screen, saturation from the
 * white centre to the rim; clear outside, with an anti-aliased edge. */
static int draw_wheel(const char* path)
{
    const int side = 165;
    const double radius = side / 2.0, centre = side / 2.0;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, side, side);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < side; ++y) {
        uint32_t* row = (uint32_t*)(data + y * stride);
        for (int x = 0; x < side; ++x) {
            double dx = x + 0.5 - centre, dy = y + 0.5 - centre;
            double distance = sqrt(dx * dx + dy * dy);
            double coverage = radius - distance + 0.5;
            if (coverage <= 0) {
                row[x] = 0;
                continue;
            }
            if (coverage > 1)
                coverage = 1;
            double angle = atan2(-dy, dx);
            if (angle < 0)
                angle += 2 * M_PI;
            double r, g, b;
            hsv_to_rgb(angle / (2 * M_PI), fmin(distance / radius, 1.0), 1.0, &r, &g, &b);
            uint32_t a8 = (uint32_t)lround(coverage * 255);
            row[x] = a8 << 24 | (uint32_t)lround(r * coverage * 255) << 16 | (uint32_t)lround(g * coverage * 255) << 8
                | (uint32_t)lround(b * coverage * 255);
        }
    }
    cairo_surface_mark_dirty(surface);
    return finish(surface, cr, path);
}

/* The knob of the wheel and the sliders, 22 x 22: a white ring with a dark
 * rim inside and out, so that it shows on light and dark colours. */
static int draw_knob(const char* path)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 22, 22);
    cairo_set_line_width(cr, 4);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    cairo_arc(cr, 11, 11, 8, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_arc(cr, 11, 11, 8, 0, 2 * M_PI);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* The tile behind transparent colours: 16 x 16, four squares of 8. */
static int draw_checkerboard(const char* path)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 16, 16);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
    cairo_rectangle(cr, 0, 0, 8, 8);
    cairo_rectangle(cr, 8, 8, 8, 8);
    cairo_fill(cr);
    return finish(surface, cr, path);
}

/* The selected swatch's mark, 22 x 22: a white tick on a dark disc. */
static int draw_checkmark(const char* path)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 22, 22);
    cairo_set_source_rgba(cr, 0.1, 0.1, 0.1, 0.75);
    cairo_arc(cr, 11, 11, 10, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 2.5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, 6, 11.5);
    cairo_line_to(cr, 9.5, 15);
    cairo_line_to(cr, 16, 7.5);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s RESOURCES-FOLDER\n", argv[0]);
        return 2;
    }
    const char* folder = argv[1];
    char path[4096];
    int failures = 0;
#define OUT(name) (snprintf(path, sizeof path, "%s/%s", folder, name), path)
    failures += draw_wheel(OUT("pickerColorWheel.png"));
    failures += draw_knob(OUT("colorPickerKnob.png"));
    failures += draw_checkerboard(OUT("checkerboard.png"));
    failures += draw_checkmark(OUT("MNColorViewCheckmark.png"));
#undef OUT
    return failures == 0 ? 0 : 1;
}
