/* Draws the green-screen source's pictures with cairo and pango: the six
 * theme backdrops background_NN_bg (20-25) at 1280 x 720 and their
 * thumbnails background_NN.png at 103 x 80 (the theme grid's
 * buttons, cut from the middle of the backdrop), the default backdrop
 * CaptureSourceImportBg.png, the source's menu icon, the configuration
 * button's picture and background, and the configuration rows' icons
 * chromakey_icon_*.png (black on clear: they are shown tinted).
 * Pictures are written as PNG into the folder given; the script
 * scripts/draw-greenscreen-resources.sh turns the backdrops into JPEG. */
#include <cairo.h>
#include <math.h>
#include <pango/pangocairo.h>
#include <stdio.h>

#include "draw-common.h"

enum { kWidth = 1280, kHeight = 720, kThumbWidth = 103, kThumbHeight = 80, kIcon = 28 };

static const char* folder;

static unsigned next_random(unsigned* state)
{
    *state = *state * 1103515245u + 12345u;
    return (*state >> 16) & 0x7fff;
}

static double unit_random(unsigned* state)
{
    return next_random(state) / 32767.0;
}

static void vertical_gradient(cairo_t* cr, double top, double bottom, double r1, double g1, double b1, double r2,
    double g2, double b2)
{
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, top, 0, bottom);
    cairo_pattern_add_color_stop_rgb(gradient, 0, r1, g1, b1);
    cairo_pattern_add_color_stop_rgb(gradient, 1, r2, g2, b2);
    cairo_set_source(cr, gradient);
    cairo_rectangle(cr, 0, top, kWidth, bottom - top);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
}

static void save(cairo_surface_t* surface, const char* name)
{
    char path[1024];
    snprintf(path, sizeof path, "%s/%s", folder, name);
    if (cairo_surface_write_to_png(surface, path) != CAIRO_STATUS_SUCCESS) {
        fprintf(stderr, "cannot write %s\n", path);
    }
}

/* 20: a beach at sunset. */
static void paint_beach(cairo_t* cr)
{
    vertical_gradient(cr, 0, 430, 0.98, 0.55, 0.25, 0.99, 0.85, 0.55);
    cairo_set_source_rgb(cr, 1.0, 0.93, 0.6);
    cairo_arc(cr, 860, 400, 90, 0, 2 * M_PI);
    cairo_fill(cr);
    vertical_gradient(cr, 400, 560, 0.15, 0.45, 0.65, 0.1, 0.3, 0.5);
    for (int i = 0; i < 12; ++i) {
        cairo_set_source_rgba(cr, 1, 0.85, 0.6, 0.5);
        cairo_rectangle(cr, 760 + (i % 3) * 40 - i * 6, 420 + i * 11, 200 - i * 10, 3);
        cairo_fill(cr);
    }
    vertical_gradient(cr, 560, kHeight, 0.93, 0.82, 0.6, 0.85, 0.72, 0.5);
    /* a palm */
    cairo_set_source_rgb(cr, 0.25, 0.15, 0.08);
    cairo_set_line_width(cr, 22);
    cairo_move_to(cr, 220, 700);
    cairo_curve_to(cr, 230, 520, 260, 380, 320, 250);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.1, 0.3, 0.12);
    for (int leaf = 0; leaf < 6; ++leaf) {
        double angle = -2.6 + leaf * 0.9;
        cairo_save(cr);
        cairo_translate(cr, 320, 250);
        cairo_rotate(cr, angle);
        cairo_scale(cr, 1, 0.25);
        cairo_arc(cr, 110, 0, 110, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_fill(cr);
    }
}

/* 21: a city skyline at night. */
static void paint_city(cairo_t* cr)
{
    unsigned seed = 21;
    vertical_gradient(cr, 0, kHeight, 0.03, 0.04, 0.15, 0.2, 0.12, 0.3);
    cairo_set_source_rgb(cr, 0.95, 0.95, 0.85);
    cairo_arc(cr, 1050, 130, 45, 0, 2 * M_PI);
    cairo_fill(cr);
    for (int i = 0; i < 80; ++i) {
        cairo_set_source_rgba(cr, 1, 1, 1, 0.4 + 0.6 * unit_random(&seed));
        cairo_arc(cr, unit_random(&seed) * kWidth, unit_random(&seed) * 300, 1.5, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    for (int x = 0; x < kWidth;) {
        int w = 70 + next_random(&seed) % 90, h = 180 + next_random(&seed) % 330;
        cairo_set_source_rgb(cr, 0.05, 0.06, 0.1);
        cairo_rectangle(cr, x, kHeight - h, w - 6, h);
        cairo_fill(cr);
        for (int wy = kHeight - h + 14; wy < kHeight - 20; wy += 24) {
            for (int wx = x + 8; wx < x + w - 20; wx += 18) {
                if (next_random(&seed) % 3 == 0)
                    continue;
                cairo_set_source_rgb(cr, 0.98, 0.85, 0.45);
                cairo_rectangle(cr, wx, wy, 8, 12);
                cairo_fill(cr);
            }
        }
        x += w;
    }
}

/* 22: a forest clearing. */
static void paint_forest(cairo_t* cr)
{
    unsigned seed = 22;
    vertical_gradient(cr, 0, 480, 0.6, 0.8, 0.95, 0.85, 0.92, 0.95);
    vertical_gradient(cr, 480, kHeight, 0.35, 0.55, 0.2, 0.2, 0.38, 0.12);
    for (int row = 0; row < 3; ++row) {
        double shade = 0.1 + row * 0.08;
        for (int i = 0; i < 16; ++i) {
            double x = (i + 0.5 * row) * 90 + next_random(&seed) % 40 - 40;
            double base = 520 + row * 70, height = 260 + next_random(&seed) % 120;
            cairo_set_source_rgb(cr, 0.3, 0.2, 0.1);
            cairo_rectangle(cr, x - 8, base - 30, 16, 50);
            cairo_fill(cr);
            cairo_set_source_rgb(cr, shade * 0.6, 0.25 + shade, shade * 0.5);
            cairo_move_to(cr, x, base - height);
            cairo_line_to(cr, x + 60, base - 20);
            cairo_line_to(cr, x - 60, base - 20);
            cairo_close_path(cr);
            cairo_fill(cr);
        }
    }
}

/* 23: outer space with a ringed planet. */
static void paint_space(cairo_t* cr)
{
    unsigned seed = 23;
    cairo_set_source_rgb(cr, 0.02, 0.01, 0.06);
    cairo_paint(cr);
    for (int i = 0; i < 300; ++i) {
        cairo_set_source_rgba(cr, 1, 1, 1, 0.3 + 0.7 * unit_random(&seed));
        cairo_arc(cr, unit_random(&seed) * kWidth, unit_random(&seed) * kHeight, 0.8 + unit_random(&seed) * 1.5, 0,
            2 * M_PI);
        cairo_fill(cr);
    }
    cairo_pattern_t* planet = cairo_pattern_create_radial(880, 280, 20, 940, 340, 200);
    cairo_pattern_add_color_stop_rgb(planet, 0, 0.95, 0.7, 0.4);
    cairo_pattern_add_color_stop_rgb(planet, 1, 0.45, 0.2, 0.1);
    cairo_set_source(cr, planet);
    cairo_arc(cr, 940, 340, 170, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(planet);
    cairo_save(cr);
    cairo_translate(cr, 940, 340);
    cairo_rotate(cr, -0.3);
    cairo_scale(cr, 1, 0.22);
    cairo_set_source_rgba(cr, 0.9, 0.8, 0.6, 0.8);
    cairo_set_line_width(cr, 30);
    cairo_arc(cr, 0, 0, 290, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.6, 0.65, 0.75);
    cairo_arc(cr, 240, 560, 60, 0, 2 * M_PI);
    cairo_fill(cr);
}

/* 24: under water. */
static void paint_underwater(cairo_t* cr)
{
    unsigned seed = 24;
    vertical_gradient(cr, 0, kHeight, 0.1, 0.55, 0.75, 0.02, 0.15, 0.35);
    for (int i = 0; i < 6; ++i) {
        cairo_set_source_rgba(cr, 1, 1, 1, 0.08);
        double x = 100 + i * 220;
        cairo_move_to(cr, x, 0);
        cairo_line_to(cr, x + 80, 0);
        cairo_line_to(cr, x + 260, kHeight);
        cairo_line_to(cr, x + 120, kHeight);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    vertical_gradient(cr, 640, kHeight, 0.75, 0.68, 0.45, 0.55, 0.48, 0.3);
    for (int i = 0; i < 60; ++i) {
        cairo_set_source_rgba(cr, 0.9, 0.95, 1, 0.5);
        cairo_set_line_width(cr, 2);
        cairo_arc(cr, unit_random(&seed) * kWidth, unit_random(&seed) * 600, 3 + unit_random(&seed) * 8, 0, 2 * M_PI);
        cairo_stroke(cr);
    }
    for (int i = 0; i < 5; ++i) {
        double x = 150 + i * 250, y = 200 + next_random(&seed) % 300;
        cairo_set_source_rgb(cr, 0.98, 0.55, 0.15);
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, 1, 0.55);
        cairo_arc(cr, 0, 0, 40, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_fill(cr);
        cairo_move_to(cr, x + 32, y);
        cairo_line_to(cr, x + 65, y - 22);
        cairo_line_to(cr, x + 65, y + 22);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
}

/* 25: snowy mountains. */
static void paint_mountains(cairo_t* cr)
{
    vertical_gradient(cr, 0, kHeight, 0.45, 0.65, 0.9, 0.85, 0.9, 0.97);
    const double peaks[][3] = {{250, 200, 0.35}, {650, 120, 0.3}, {1050, 220, 0.38}};
    for (int i = 0; i < 3; ++i) {
        double x = peaks[i][0], top = peaks[i][1];
        cairo_set_source_rgb(cr, peaks[i][2], peaks[i][2] + 0.05, peaks[i][2] + 0.15);
        cairo_move_to(cr, x, top);
        cairo_line_to(cr, x + 480, kHeight);
        cairo_line_to(cr, x - 480, kHeight);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.97, 0.98, 1);
        cairo_move_to(cr, x, top);
        cairo_line_to(cr, x + 110, top + 110);
        cairo_line_to(cr, x + 40, top + 90);
        cairo_line_to(cr, x - 20, top + 120);
        cairo_line_to(cr, x - 110, top + 110);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    vertical_gradient(cr, 620, kHeight, 0.3, 0.5, 0.25, 0.2, 0.4, 0.18);
}

/* The default backdrop: a studio wall under a soft light. */
static void paint_default(cairo_t* cr)
{
    cairo_pattern_t* light = cairo_pattern_create_radial(640, 300, 40, 640, 360, 820);
    cairo_pattern_add_color_stop_rgb(light, 0, 0.82, 0.84, 0.9);
    cairo_pattern_add_color_stop_rgb(light, 1, 0.25, 0.28, 0.38);
    cairo_set_source(cr, light);
    cairo_paint(cr);
    cairo_pattern_destroy(light);
    vertical_gradient(cr, 560, kHeight, 0.35, 0.36, 0.42, 0.2, 0.21, 0.26);
}

typedef void (*Painter)(cairo_t* cr);

static void draw_backdrop(const char* name, Painter paint, int thumbnail_number)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    paint(cr);
    cairo_destroy(cr);
    save(surface, name);
    if (thumbnail_number >= 0) {
        /* The middle of the backdrop at the buttons' shape. */
        cairo_surface_t* thumb = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kThumbWidth, kThumbHeight);
        cairo_t* tc = cairo_create(thumb);
        double scale = (double)kThumbHeight / kHeight;
        cairo_scale(tc, scale, scale);
        cairo_set_source_surface(tc, surface, -(kWidth - kThumbWidth / scale) / 2, 0);
        cairo_pattern_set_filter(cairo_get_source(tc), CAIRO_FILTER_BEST);
        cairo_paint(tc);
        cairo_destroy(tc);
        char thumb_name[64];
        snprintf(thumb_name, sizeof thumb_name, "background_%02d.png", thumbnail_number);
        save(thumb, thumb_name);
        cairo_surface_destroy(thumb);
    }
    cairo_surface_destroy(surface);
}

/* A figure before a screen: the source's mark. */
static void person(cairo_t* cr, double cx, double top, double size)
{
    cairo_arc(cr, cx, top + size * 0.18, size * 0.16, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_move_to(cr, cx - size * 0.32, top + size);
    cairo_curve_to(cr, cx - size * 0.32, top + size * 0.45, cx + size * 0.32, top + size * 0.45, cx + size * 0.32,
        top + size);
    cairo_close_path(cr);
    cairo_fill(cr);
}

static cairo_t* icon_begin(cairo_surface_t** surface, int side)
{
    *surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
    cairo_t* cr = cairo_create(*surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 2);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    return cr;
}

static void icon_end(cairo_surface_t* surface, cairo_t* cr, const char* name)
{
    cairo_destroy(cr);
    save(surface, name);
    cairo_surface_destroy(surface);
}

static void letter(cairo_t* cr, const char* text, double cx, double cy)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* description = pango_font_description_from_string("DejaVu Sans Bold 11");
    pango_layout_set_font_description(layout, description);
    pango_layout_set_text(layout, text, -1);
    int width, height;
    pango_layout_get_pixel_size(layout, &width, &height);
    cairo_move_to(cr, cx - width / 2.0, cy - height / 2.0);
    pango_cairo_layout_path(cr, layout);
    pango_font_description_free(description);
    g_object_unref(layout);
}

static void draw_icons(void)
{
    cairo_surface_t* s;
    cairo_t* cr;

    /* The menu icon: a person cut out of a screen (shown tinted). */
    cr = icon_begin(&s, kIcon);
    rounded_rectangle(cr, 2, 3, 24, 22, 3);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    person(cr, 14, 7, 18);
    icon_end(s, cr, "capturesource_icon_chroma.png");

    /* The configuration button: a green screen with a slider below. */
    cr = icon_begin(&s, 30);
    cairo_set_source_rgb(cr, 0.2, 0.85, 0.4);
    rounded_rectangle(cr, 3, 3, 24, 17, 3);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    person(cr, 15, 6, 14);
    cairo_move_to(cr, 4, 25.5);
    cairo_line_to(cr, 26, 25.5);
    cairo_stroke(cr);
    cairo_arc(cr, 18, 25.5, 3, 0, 2 * M_PI);
    cairo_fill(cr);
    icon_end(s, cr, "btn_green_screen_config_ipad.png");

    /* The phone's button background: a dark rounded square. */
    cr = icon_begin(&s, 50);
    cairo_set_source_rgba(cr, 0.1, 0.1, 0.12, 0.6);
    rounded_rectangle(cr, 1, 1, 48, 48, 8);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    icon_end(s, cr, "captureview_btn_bg.png");

    /* Backdrop: a framed landscape. */
    cr = icon_begin(&s, kIcon);
    rounded_rectangle(cr, 3, 5, 22, 18, 2);
    cairo_stroke(cr);
    cairo_move_to(cr, 5, 21);
    cairo_line_to(cr, 11, 13);
    cairo_line_to(cr, 15, 18);
    cairo_line_to(cr, 18, 15);
    cairo_line_to(cr, 23, 21);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_arc(cr, 19, 10, 2, 0, 2 * M_PI);
    cairo_fill(cr);
    icon_end(s, cr, "chromakey_icon_backdrop.png");

    /* Colour: a drop. */
    cr = icon_begin(&s, kIcon);
    cairo_move_to(cr, 14, 3);
    cairo_curve_to(cr, 20, 11, 23, 15, 23, 18);
    cairo_arc(cr, 14, 18, 9, 0, M_PI);
    cairo_curve_to(cr, 5, 15, 8, 11, 14, 3);
    cairo_close_path(cr);
    cairo_fill(cr);
    icon_end(s, cr, "chromakey_icon_color.png");

    /* Photo roll: two stacked pictures. */
    cr = icon_begin(&s, kIcon);
    rounded_rectangle(cr, 7, 3, 18, 15, 2);
    cairo_stroke(cr);
    rounded_rectangle(cr, 3, 9, 18, 15, 2);
    cairo_fill(cr);
    icon_end(s, cr, "chromakey_icon_album.png");

    /* Last frame: a film frame. */
    cr = icon_begin(&s, kIcon);
    rounded_rectangle(cr, 4, 3, 20, 22, 2);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    for (int i = 0; i < 4; ++i) {
        cairo_rectangle(cr, 5.5, 5 + i * 5, 2.5, 3);
        cairo_rectangle(cr, 20, 5 + i * 5, 2.5, 3);
    }
    cairo_rectangle(cr, 10, 7, 8, 14);
    cairo_fill(cr);
    icon_end(s, cr, "chromakey_icon_frame.png");

    /* Theme: a grid of pictures. */
    cr = icon_begin(&s, kIcon);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
            cairo_rectangle(cr, 3 + column * 8, 7 + row * 8, 6, 6);
    cairo_fill(cr);
    icon_end(s, cr, "chromakey_icon_theme.png");

    /* Autodetect: an eyedropper. */
    cr = icon_begin(&s, kIcon);
    cairo_set_line_width(cr, 3);
    cairo_move_to(cr, 6, 22);
    cairo_line_to(cr, 17, 11);
    cairo_stroke(cr);
    cairo_arc(cr, 20, 8, 4, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, 13, 9);
    cairo_line_to(cr, 19, 15);
    cairo_stroke(cr);
    icon_end(s, cr, "chromakey_icon_autodetect.png");

    /* Green and blue: a disc with the colour's letter. */
    const char* letters[] = {"G", "B"};
    const char* names[] = {"chromakey_icon_green.png", "chromakey_icon_blue.png"};
    for (int i = 0; i < 2; ++i) {
        cr = icon_begin(&s, kIcon);
        cairo_arc(cr, 14, 14, 11, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        letter(cr, letters[i], 14, 14);
        cairo_fill(cr);
        icon_end(s, cr, names[i]);
    }
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s output-folder\n", argv[0]);
        return 2;
    }
    folder = argv[1];
    const Painter themes[] = {paint_beach, paint_city, paint_forest, paint_space, paint_underwater, paint_mountains};
    for (int i = 0; i < 6; ++i) {
        char name[64];
        snprintf(name, sizeof name, "background_%02d_bg.png", 20 + i);
        draw_backdrop(name, themes[i], 20 + i);
    }
    draw_backdrop("CaptureSourceImportBg.png", paint_default, -1);
    draw_icons();
    return 0;
}
