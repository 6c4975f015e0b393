/* Draws the look sheet's pictures with cairo: the foregrounds (overlays
 * drawn over every frame of the movie, 1280 x 720 with transparency, and
 * their previews for the chooser, 258 x 114 like the theme previews) and
 * the sheet's title divider and open button. Build and run it through
 * scripts/draw-resources.sh, which writes the pictures into resources/.
 *
 * Foreground 20 is "none": a preview without an overlay, so that choosing
 * it stores no picture. */
#include <cairo.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include "draw-common.h"

enum { OVERLAY_W = 1280, OVERLAY_H = 720, PREVIEW_W = 258, PREVIEW_H = 114 };

/* A dark vignette: clear in the middle, black towards the corners. */
static void draw_vignette(cairo_t* cr)
{
    cairo_pattern_t* glow = cairo_pattern_create_radial(
        OVERLAY_W / 2.0, OVERLAY_H / 2.0, OVERLAY_H * 0.35, OVERLAY_W / 2.0, OVERLAY_H / 2.0, OVERLAY_W * 0.62);
    cairo_pattern_add_color_stop_rgba(glow, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(glow, 1, 0, 0, 0, 0.9);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);
}

/* Black bands at top and bottom with the sprocket holes of a film strip. */
static void draw_film_strip(cairo_t* cr)
{
    const double band = 64, hole_w = 34, hole_h = 26, step = 80;
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
    cairo_rectangle(cr, 0, 0, OVERLAY_W, band);
    cairo_rectangle(cr, 0, OVERLAY_H - band, OVERLAY_W, band);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    for (double x = 23; x < OVERLAY_W; x += step) {
        for (int side = 0; side < 2; ++side) {
            double y = side == 0 ? (band - hole_h) / 2 : OVERLAY_H - band + (band - hole_h) / 2;
            const double r = 5;
            cairo_new_sub_path(cr);
            cairo_arc(cr, x + hole_w - r, y + r, r, -M_PI / 2, 0);
            cairo_arc(cr, x + hole_w - r, y + hole_h - r, r, 0, M_PI / 2);
            cairo_arc(cr, x + r, y + hole_h - r, r, M_PI / 2, M_PI);
            cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
            cairo_close_path(cr);
        }
    }
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

/* A golden picture frame round the edge, with a bevel. */
static void draw_picture_frame(cairo_t* cr)
{
    const double width = 48;
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, 0, 0, OVERLAY_W, OVERLAY_H);
    cairo_rectangle(cr, width, width, OVERLAY_W - 2 * width, OVERLAY_H - 2 * width);
    cairo_pattern_t* gold = cairo_pattern_create_linear(0, 0, OVERLAY_W, OVERLAY_H);
    cairo_pattern_add_color_stop_rgb(gold, 0, 0.85, 0.68, 0.25);
    cairo_pattern_add_color_stop_rgb(gold, 0.5, 0.62, 0.44, 0.12);
    cairo_pattern_add_color_stop_rgb(gold, 1, 0.9, 0.75, 0.35);
    cairo_set_source(cr, gold);
    cairo_fill(cr);
    cairo_pattern_destroy(gold);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_set_line_width(cr, 6);
    cairo_set_source_rgba(cr, 0.35, 0.22, 0.05, 0.9);
    cairo_rectangle(cr, width - 3, width - 3, OVERLAY_W - 2 * width + 6, OVERLAY_H - 2 * width + 6);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 3);
    cairo_set_source_rgba(cr, 1, 0.92, 0.6, 0.8);
    cairo_rectangle(cr, 12, 12, OVERLAY_W - 24, OVERLAY_H - 24);
    cairo_stroke(cr);
}

static void heart(cairo_t* cr, double x, double y, double size)
{
    cairo_move_to(cr, x, y + size * 0.3);
    cairo_curve_to(cr, x, y, x - size * 0.5, y, x - size * 0.5, y + size * 0.3);
    cairo_curve_to(cr, x - size * 0.5, y + size * 0.6, x, y + size * 0.75, x, y + size);
    cairo_curve_to(cr, x, y + size * 0.75, x + size * 0.5, y + size * 0.6, x + size * 0.5, y + size * 0.3);
    cairo_curve_to(cr, x + size * 0.5, y, x, y, x, y + size * 0.3);
    cairo_close_path(cr);
}

/* Red and pink hearts along the edges, the middle left clear. */
static void draw_hearts(cairo_t* cr)
{
    srand(21);
    for (int i = 0; i < 70; ++i) {
        double x, y;
        int edge = i % 4;
        double along = (double)rand() / RAND_MAX;
        double across = 20 + 90 * (double)rand() / RAND_MAX;
        if (edge == 0) { x = along * OVERLAY_W; y = across - 40; }
        else if (edge == 1) { x = along * OVERLAY_W; y = OVERLAY_H - across - 20; }
        else if (edge == 2) { x = across - 20; y = along * OVERLAY_H; }
        else { x = OVERLAY_W - across + 20; y = along * OVERLAY_H; }
        double size = 28 + 40 * (double)rand() / RAND_MAX;
        heart(cr, x, y, size);
        if (i % 3 == 0)
            cairo_set_source_rgba(cr, 0.95, 0.45, 0.65, 0.9);
        else
            cairo_set_source_rgba(cr, 0.86, 0.08, 0.2, 0.9);
        cairo_fill(cr);
    }
}

/* White snow flakes all over, denser at the top. */
static void draw_snow(cairo_t* cr)
{
    srand(25);
    for (int i = 0; i < 420; ++i) {
        double x = OVERLAY_W * (double)rand() / RAND_MAX;
        double share = (double)rand() / RAND_MAX;
        double y = OVERLAY_H * share * share;
        double r = 2 + 6 * (double)rand() / RAND_MAX;
        cairo_arc(cr, x, y, r, 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.55 + 0.4 * (double)rand() / RAND_MAX);
        cairo_fill(cr);
    }
    cairo_pattern_t* drift = cairo_pattern_create_linear(0, OVERLAY_H - 70, 0, OVERLAY_H);
    cairo_pattern_add_color_stop_rgba(drift, 0, 1, 1, 1, 0);
    cairo_pattern_add_color_stop_rgba(drift, 1, 1, 1, 1, 0.95);
    cairo_set_source(cr, drift);
    cairo_rectangle(cr, 0, OVERLAY_H - 70, OVERLAY_W, 70);
    cairo_fill(cr);
    cairo_pattern_destroy(drift);
}

typedef void (*draw_overlay_fn)(cairo_t*);

static cairo_surface_t* make_overlay(draw_overlay_fn draw)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, OVERLAY_W, OVERLAY_H);
    draw(cr);
    cairo_destroy(cr);
    return surface;
}

/* The preview: a sky-and-meadow scene, the overlay over it, and the name on
 * a dark band at the bottom as the theme previews have it. */
static int draw_preview(const char* path, cairo_surface_t* overlay, const char* name)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, PREVIEW_W, PREVIEW_H);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, PREVIEW_H);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.45, 0.7, 0.95);
    cairo_pattern_add_color_stop_rgb(sky, 0.65, 0.8, 0.9, 1.0);
    cairo_pattern_add_color_stop_rgb(sky, 0.66, 0.35, 0.65, 0.3);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.25, 0.5, 0.2);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);
    cairo_arc(cr, PREVIEW_W * 0.72, PREVIEW_H * 0.3, 14, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 1.0, 0.88, 0.3);
    cairo_fill(cr);
    if (overlay) {
        cairo_save(cr);
        cairo_scale(cr, (double)PREVIEW_W / OVERLAY_W, (double)PREVIEW_H / OVERLAY_H);
        cairo_set_source_surface(cr, overlay, 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    cairo_rectangle(cr, 0, PREVIEW_H - 34, PREVIEW_W, 34);
    cairo_fill(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 20);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, name, &extents);
    cairo_move_to(cr, (PREVIEW_W - extents.width) / 2 - extents.x_bearing, PREVIEW_H - 10);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_show_text(cr, name);
    return finish(surface, cr, path);
}

/* The look sheet's "open" button: a white chevron pointing up (the close
 * button points down). */
static int draw_open_button(const char* path)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 30, 30);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, 7, 19);
    cairo_line_to(cr, 15, 11);
    cairo_line_to(cr, 23, 19);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* The divider between the sheet's "Theme" and "Outline" titles: a thin
 * upright line that fades out at both ends. */
static int draw_bar_line(const char* path)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 2, 24);
    cairo_pattern_t* line = cairo_pattern_create_linear(0, 0, 0, 24);
    cairo_pattern_add_color_stop_rgba(line, 0, 0.3, 0.3, 0.3, 0);
    cairo_pattern_add_color_stop_rgba(line, 0.5, 0.3, 0.3, 0.3, 1);
    cairo_pattern_add_color_stop_rgba(line, 1, 0.3, 0.3, 0.3, 0);
    cairo_set_source(cr, line);
    cairo_paint(cr);
    cairo_pattern_destroy(line);
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
    struct {
        int number;
        const char* name;
        draw_overlay_fn draw;
    } foregrounds[] = {
        {20, "None", NULL},
        {21, "Vignette", draw_vignette},
        {22, "Film", draw_film_strip},
        {23, "Frame", draw_picture_frame},
        {24, "Hearts", draw_hearts},
        {25, "Snow", draw_snow},
    };
    for (size_t i = 0; i < sizeof foregrounds / sizeof foregrounds[0]; ++i) {
        char name[64];
        cairo_surface_t* overlay = NULL;
        if (foregrounds[i].draw) {
            overlay = make_overlay(foregrounds[i].draw);
            snprintf(name, sizeof name, "foreground_%.2d_bg.png", foregrounds[i].number);
            if (cairo_surface_write_to_png(overlay, OUT(name)) != CAIRO_STATUS_SUCCESS) {
                fprintf(stderr, "cannot write %s\n", path);
                ++failures;
            }
        }
        snprintf(name, sizeof name, "foreground_%.2d.png", foregrounds[i].number);
        failures += draw_preview(OUT(name), overlay, foregrounds[i].name);
        if (overlay)
            cairo_surface_destroy(overlay);
    }
    failures += draw_open_button(OUT("theme_view_btn_open.png"));
    failures += draw_bar_line(OUT("theme_view_bar_line.png"));
#undef OUT
    return failures == 0 ? 0 : 1;
}
