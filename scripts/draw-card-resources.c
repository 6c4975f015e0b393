/* Draws the pictures of the themes and theme cards with cairo and pango:
 * the backgrounds theme_bg_NN (themes 1-8, text cards 20-24, picture cards
 * 50-64) at 1280 x 720, their thumbnails theme_NN.png (also theme 0, "no
 * theme") at 258 x 114 (twice the gallery's buttons: the picture's middle
 * band), the gallery's background and the ornament the card pages show.
 * Pictures are written as PNG into the folder given; the script
 * scripts/draw-card-resources.sh turns the backgrounds into JPEG. */
#include <cairo.h>
#include <math.h>
#include <pango/pangocairo.h>
#include <stdio.h>

enum { kWidth = 1280, kHeight = 720, kThumbWidth = 258, kThumbHeight = 114 };

static const char* folder;

typedef void (*Painter)(cairo_t* cr, int number);

static unsigned next_random(unsigned* state)
{
    *state = *state * 1103515245u + 12345u;
    return (*state >> 16) & 0x7fff;
}

static void vertical_gradient(cairo_t* cr, double r1, double g1, double b1, double r2, double g2, double b2)
{
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, kHeight);
    cairo_pattern_add_color_stop_rgb(gradient, 0, r1, g1, b1);
    cairo_pattern_add_color_stop_rgb(gradient, 1, r2, g2, b2);
    cairo_set_source(cr, gradient);
    cairo_paint(cr);
    cairo_pattern_destroy(gradient);
}

/* Text centred on (x, y) in the font described, e.g. "DejaVu Serif Bold 90". */
static void centred_text(cairo_t* cr, const char* text, const char* font, double x, double y)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* description = pango_font_description_from_string(font);
    pango_layout_set_font_description(layout, description);
    pango_layout_set_text(layout, text, -1);
    int width, height;
    pango_layout_get_pixel_size(layout, &width, &height);
    cairo_move_to(cr, x - width / 2.0, y - height / 2.0);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(description);
    g_object_unref(layout);
}

/* Themes 1-8, each its own mood. */
static void paint_theme(cairo_t* cr, int theme)
{
    unsigned seed = 1234u + (unsigned)theme;
    switch (theme) {
    case 1: /* stage curtain */
        vertical_gradient(cr, 0.45, 0.02, 0.05, 0.2, 0.0, 0.02);
        for (int x = 0; x < kWidth; x += 80) {
            cairo_pattern_t* fold = cairo_pattern_create_linear(x, 0, x + 80, 0);
            cairo_pattern_add_color_stop_rgba(fold, 0, 0, 0, 0, 0.35);
            cairo_pattern_add_color_stop_rgba(fold, 0.5, 1, 0.3, 0.3, 0.12);
            cairo_pattern_add_color_stop_rgba(fold, 1, 0, 0, 0, 0.35);
            cairo_set_source(cr, fold);
            cairo_rectangle(cr, x, 0, 80, kHeight);
            cairo_fill(cr);
            cairo_pattern_destroy(fold);
        }
        cairo_set_source_rgb(cr, 0.85, 0.65, 0.2);
        cairo_rectangle(cr, 0, 0, kWidth, 18);
        cairo_rectangle(cr, 0, kHeight - 18, kWidth, 18);
        cairo_fill(cr);
        break;
    case 2: /* sky with clouds */
        vertical_gradient(cr, 0.35, 0.6, 0.95, 0.8, 0.92, 1.0);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
        for (int i = 0; i < 7; ++i) {
            double cx = 90 + i * 180 + next_random(&seed) % 60, cy = 90 + next_random(&seed) % 560;
            for (int k = 0; k < 4; ++k) {
                cairo_arc(cr, cx + k * 38 - 57, cy + (k % 2) * -14, 36 + (k % 2) * 12, 0, 2 * M_PI);
                cairo_fill(cr);
            }
        }
        break;
    case 3: /* stars */
        vertical_gradient(cr, 0.02, 0.02, 0.12, 0.08, 0.05, 0.25);
        for (int i = 0; i < 400; ++i) {
            double x = next_random(&seed) % kWidth, y = next_random(&seed) % kHeight;
            double size = 0.6 + (next_random(&seed) % 100) / 45.0;
            cairo_set_source_rgba(cr, 1, 1, 0.9, 0.4 + (next_random(&seed) % 60) / 100.0);
            cairo_arc(cr, x, y, size, 0, 2 * M_PI);
            cairo_fill(cr);
        }
        cairo_set_source_rgba(cr, 0.9, 0.9, 1, 0.9);
        cairo_arc(cr, 1080, 150, 70, 0, 2 * M_PI);
        cairo_fill(cr);
        break;
    case 4: /* ruled paper */
        cairo_set_source_rgb(cr, 0.98, 0.96, 0.88);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 0.6, 0.75, 0.95);
        cairo_set_line_width(cr, 2);
        for (int y = 60; y < kHeight; y += 44) {
            cairo_move_to(cr, 0, y);
            cairo_line_to(cr, kWidth, y);
        }
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0.95, 0.45, 0.45);
        cairo_move_to(cr, 140, 0);
        cairo_line_to(cr, 140, kHeight);
        cairo_stroke(cr);
        break;
    case 5: /* sunburst */
        cairo_set_source_rgb(cr, 1.0, 0.72, 0.2);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 1.0, 0.55, 0.1);
        for (int i = 0; i < 24; i += 2) {
            cairo_move_to(cr, kWidth / 2.0, kHeight / 2.0);
            cairo_arc(cr, kWidth / 2.0, kHeight / 2.0, 1600, i * M_PI / 12, (i + 1) * M_PI / 12);
            cairo_close_path(cr);
        }
        cairo_fill(cr);
        break;
    case 6: /* chalkboard */
        cairo_set_source_rgb(cr, 0.12, 0.28, 0.2);
        cairo_paint(cr);
        for (int i = 0; i < 60; ++i) {
            cairo_set_source_rgba(cr, 1, 1, 1, 0.03 + (next_random(&seed) % 5) / 100.0);
            cairo_arc(cr, next_random(&seed) % kWidth, next_random(&seed) % kHeight, 40 + next_random(&seed) % 120, 0,
                2 * M_PI);
            cairo_fill(cr);
        }
        cairo_set_source_rgb(cr, 0.55, 0.35, 0.15);
        cairo_set_line_width(cr, 30);
        cairo_rectangle(cr, 15, 15, kWidth - 30, kHeight - 30);
        cairo_stroke(cr);
        break;
    case 7: /* neon grid */
        vertical_gradient(cr, 0.1, 0.0, 0.2, 0.35, 0.0, 0.4);
        cairo_set_source_rgba(cr, 1, 0.2, 0.9, 0.6);
        cairo_set_line_width(cr, 2);
        for (int i = -20; i <= 20; ++i) {
            cairo_move_to(cr, kWidth / 2.0, 420);
            cairo_line_to(cr, kWidth / 2.0 + i * 90, kHeight);
        }
        for (int k = 0; k < 8; ++k) {
            double y = 420 + pow(k / 8.0, 2) * 300;
            cairo_move_to(cr, 0, y);
            cairo_line_to(cr, kWidth, y);
        }
        cairo_stroke(cr);
        break;
    default: /* 8: sunset */
        vertical_gradient(cr, 0.25, 0.1, 0.45, 1.0, 0.55, 0.25);
        cairo_set_source_rgba(cr, 1, 0.85, 0.4, 0.95);
        cairo_arc(cr, 1010, 560, 150, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.15, 0.05, 0.2);
        cairo_rectangle(cr, 0, 600, kWidth, 120);
        cairo_fill(cr);
        break;
    }
}

/* Text cards 20-24: a calm dark colour with a thin frame, room for one white text. */
static void paint_text_card(cairo_t* cr, int card)
{
    static const double colours[5][3] = {
        {0.1, 0.1, 0.1}, {0.08, 0.42, 0.48}, {0.12, 0.2, 0.45}, {0.55, 0.1, 0.15}, {0.15, 0.4, 0.25}};
    const double* c = colours[(card - 20) % 5];
    cairo_set_source_rgb(cr, c[0], c[1], c[2]);
    cairo_paint(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.6);
    cairo_set_line_width(cr, 4);
    cairo_rectangle(cr, 60, 60, kWidth - 120, kHeight - 120);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.5);
    cairo_rectangle(cr, 76, 76, kWidth - 152, kHeight - 152);
    cairo_stroke(cr);
}

/* Picture cards 50-64: a word of the silent-film kind on its own colour. */
static void paint_picture_card(cairo_t* cr, int card)
{
    static const char* words[15] = {"The End", "Meanwhile...", "Later...", "Chapter One", "Chapter Two",
        "Chapter Three", "Intermission", "To be continued", "Once upon a time", "Boom!", "Pow!", "Zap!",
        "The next day", "That night", "Good morning"};
    const int i = card - 50;
    const double hue = i / 15.0 * 2 * M_PI;
    const int comic = i >= 9 && i <= 11;
    if (comic) {
        cairo_set_source_rgb(cr, 1.0, 0.85, 0.1);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 0.9, 0.15, 0.1);
        cairo_move_to(cr, kWidth / 2.0, 60);
        for (int k = 1; k <= 24; ++k) {
            double angle = k * M_PI / 12 - M_PI / 2, radius = (k % 2) ? 260 : 420;
            cairo_line_to(cr, kWidth / 2.0 + cos(angle) * radius * 1.4, kHeight / 2.0 + sin(angle) * radius * 0.8);
        }
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        centred_text(cr, words[i], "DejaVu Sans Bold 130", kWidth / 2.0, kHeight / 2.0);
        return;
    }
    cairo_set_source_rgb(cr, 0.08 + 0.08 * (1 + cos(hue)), 0.08 + 0.06 * (1 + sin(hue)), 0.1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.85, 0.8, 0.65);
    cairo_set_line_width(cr, 6);
    cairo_rectangle(cr, 90, 90, kWidth - 180, kHeight - 180);
    cairo_stroke(cr);
    for (int corner = 0; corner < 4; ++corner) {
        double x = corner % 2 ? kWidth - 90 : 90, y = corner / 2 ? kHeight - 90 : 90;
        cairo_arc(cr, x, y, 22, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    centred_text(cr, words[i], "DejaVu Serif Italic 92", kWidth / 2.0, kHeight / 2.0);
}

static int write_picture(cairo_surface_t* surface, const char* name)
{
    char path[1024];
    snprintf(path, sizeof path, "%s/%s", folder, name);
    if (cairo_surface_write_to_png(surface, path) != CAIRO_STATUS_SUCCESS) {
        fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    return 0;
}

/* The background as PNG (made JPEG by the script) and its thumbnail. */
static int draw_card(Painter paint, int number, const char* label)
{
    int failures = 0;
    char name[64];
    cairo_surface_t* full = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(full);
    paint(cr, number);
    cairo_destroy(cr);
    snprintf(name, sizeof name, "theme_bg_%.2d.png", number);
    failures += write_picture(full, name);

    cairo_surface_t* thumb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kThumbWidth, kThumbHeight);
    cr = cairo_create(thumb);
    const double scale = (double)kThumbWidth / kWidth;
    cairo_translate(cr, 0, (kThumbHeight - kHeight * scale) / 2);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, full, 0, 0);
    cairo_paint(cr);
    cairo_identity_matrix(cr);
    if (label) {
        cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
        cairo_rectangle(cr, 0, kThumbHeight - 34, kThumbWidth, 34);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        centred_text(cr, label, "DejaVu Sans Bold 15", kThumbWidth / 2.0, kThumbHeight - 17);
    }
    cairo_destroy(cr);
    snprintf(name, sizeof name, "theme_%.2d.png", number);
    failures += write_picture(thumb, name);
    cairo_surface_destroy(thumb);
    cairo_surface_destroy(full);
    return failures;
}

/* Theme 0 has no background: its thumbnail says so. */
static int draw_no_theme(void)
{
    cairo_surface_t* thumb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kThumbWidth, kThumbHeight);
    cairo_t* cr = cairo_create(thumb);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
    cairo_set_line_width(cr, 6);
    cairo_arc(cr, kThumbWidth / 2.0, kThumbHeight / 2.0 - 12, 34, 0, 2 * M_PI);
    cairo_move_to(cr, kThumbWidth / 2.0 - 24, kThumbHeight / 2.0 + 12);
    cairo_line_to(cr, kThumbWidth / 2.0 + 24, kThumbHeight / 2.0 - 36);
    cairo_stroke(cr);
    centred_text(cr, "No Theme", "DejaVu Sans Bold 15", kThumbWidth / 2.0, kThumbHeight - 17);
    cairo_destroy(cr);
    int failures = write_picture(thumb, "theme_00.png");
    cairo_surface_destroy(thumb);
    return failures;
}

/* Dark film strip for the gallery's table, 1024 x 768. */
static int draw_gallery_background(void)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1024, 768);
    cairo_t* cr = cairo_create(surface);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, 768);
    cairo_pattern_add_color_stop_rgb(gradient, 0, 0.16, 0.16, 0.18);
    cairo_pattern_add_color_stop_rgb(gradient, 1, 0.06, 0.06, 0.07);
    cairo_set_source(cr, gradient);
    cairo_paint(cr);
    cairo_pattern_destroy(gradient);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.05);
    for (int y = 0; y < 768; y += 100)
        for (int x = 0; x < 1024; x += 32) {
            cairo_rectangle(cr, x + 6, y + 4, 18, 10);
            cairo_rectangle(cr, x + 6, y + 86, 18, 10);
        }
    cairo_fill(cr);
    cairo_destroy(cr);
    int failures = write_picture(surface, "gallery_bg.png");
    cairo_surface_destroy(surface);
    return failures;
}

/* A gold flourish the title pages put under the movie's name, 360 x 40. */
static int draw_ornament(void)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 360, 40);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.86, 0.68, 0.25);
    cairo_set_line_width(cr, 3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, 10, 20);
    cairo_curve_to(cr, 90, 2, 120, 38, 180, 20);
    cairo_curve_to(cr, 240, 2, 270, 38, 350, 20);
    cairo_stroke(cr);
    cairo_arc(cr, 180, 20, 7, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_destroy(cr);
    int failures = write_picture(surface, "theme_ornament.png");
    cairo_surface_destroy(surface);
    return failures;
}

int main(int argc, char** argv)
{
    static const char* themeNames[9] = {
        "", "Curtain", "Sky", "Stars", "Paper", "Sunburst", "Chalk", "Neon", "Sunset"};
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    folder = argv[1];
    int failures = draw_no_theme() + draw_gallery_background() + draw_ornament();
    for (int theme = 1; theme <= 8; ++theme)
        failures += draw_card(paint_theme, theme, themeNames[theme]);
    for (int card = 20; card <= 24; ++card)
        failures += draw_card(paint_text_card, card, "Aa");
    for (int card = 50; card <= 64; ++card)
        failures += draw_card(paint_picture_card, card, NULL);
    return failures == 0 ? 0 : 1;
}
