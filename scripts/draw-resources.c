/* Draws the app's picture resources with cairo. Build and run it through
 * scripts/draw-resources.sh, which writes the pictures into resources/. */
#include <cairo.h>
#include <math.h>
#include <stdio.h>

#include "draw-common.h"

/* A camera body with lens and flash, centred at (cx, cy), width w. */
static void camera(cairo_t* cr, double cx, double cy, double w, double red, double green, double blue)
{
    double h = w * 0.62;
    double x = cx - w / 2, y = cy - h / 2 + w * 0.05;
    cairo_set_source_rgb(cr, red, green, blue);
    rounded_rectangle(cr, x + w * 0.30, y - w * 0.10, w * 0.40, w * 0.16, w * 0.04); /* the hump */
    cairo_fill(cr);
    rounded_rectangle(cr, x, y, w, h, w * 0.10);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_arc(cr, cx, y + h / 2, h * 0.34, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_arc(cr, cx, y + h / 2, h * 0.24, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_arc(cr, x + w * 0.84, y + h * 0.20, w * 0.045, 0, 2 * M_PI);
    cairo_fill(cr);
}

/* The strip's capture placeholder: where the next frame goes. */
static int draw_thumb_camera(const char* path)
{
    const int width = 272, height = 153;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_pattern_t* background = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(background, 0, 0.20, 0.20, 0.22);
    cairo_pattern_add_color_stop_rgb(background, 1, 0.09, 0.09, 0.10);
    cairo_set_source(cr, background);
    cairo_paint(cr);
    cairo_pattern_destroy(background);
    /* A dashed frame: an empty slot. */
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_set_line_width(cr, 3);
    double dashes[] = {10, 6};
    cairo_set_dash(cr, dashes, 2, 0);
    rounded_rectangle(cr, 8.5, 8.5, width - 17, height - 17, 10);
    cairo_stroke(cr);
    cairo_push_group(cr);
    camera(cr, width / 2.0, height / 2.0, 86, 212 / 255.0, 3 / 255.0, 215 / 255.0);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_status_t status = cairo_surface_write_to_png(surface, path);
    cairo_surface_destroy(surface);
    return status == CAIRO_STATUS_SUCCESS ? 0 : 1;
}

/* The explorer's picture for a project that has none yet: a strip of film frames. */
static int draw_explorer_placeholder(const char* path)
{
    const int width = 796, height = 448;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_pattern_t* background = cairo_pattern_create_radial(width / 2.0, height / 2.0, 40, width / 2.0, height / 2.0, 480);
    cairo_pattern_add_color_stop_rgb(background, 0, 0.30, 0.28, 0.33);
    cairo_pattern_add_color_stop_rgb(background, 1, 0.11, 0.10, 0.13);
    cairo_set_source(cr, background);
    cairo_paint(cr);
    cairo_pattern_destroy(background);
    /* The film: a band with sprocket holes and three frames. */
    double band_y = 124, band_h = 200;
    cairo_set_source_rgb(cr, 0.06, 0.06, 0.07);
    cairo_rectangle(cr, 0, band_y, width, band_h);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.85, 0.85, 0.88);
    for (double x = 14; x < width; x += 38) {
        rounded_rectangle(cr, x, band_y + 10, 20, 14, 3);
        rounded_rectangle(cr, x, band_y + band_h - 24, 20, 14, 3);
    }
    cairo_fill(cr);
    for (int i = 0; i < 3; ++i) {
        double fx = 46 + i * 246, fy = band_y + 36, fw = 210, fh = band_h - 72;
        double shade = 0.35 + 0.15 * i;
        cairo_set_source_rgb(cr, shade * 0.9, shade * 0.8, shade);
        rounded_rectangle(cr, fx, fy, fw, fh, 6);
        cairo_fill(cr);
        /* A ball bouncing across the frames. */
        double ball_y = fy + fh - 22 - (i == 1 ? 70 : 18);
        cairo_set_source_rgb(cr, 212 / 255.0, 3 / 255.0, 215 / 255.0);
        cairo_arc(cr, fx + fw / 2, ball_y, 18, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.3);
        cairo_save(cr);
        cairo_translate(cr, fx + fw / 2, fy + fh - 8);
        cairo_scale(cr, 1, 0.25);
        cairo_arc(cr, 0, 0, 20 - (i == 1 ? 8 : 0), 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    cairo_status_t status = cairo_surface_write_to_png(surface, path);
    cairo_surface_destroy(surface);
    return status == CAIRO_STATUS_SUCCESS ? 0 : 1;
}

/* Writes the surface as PNG and frees it with its context. */

#define TINT_R (212 / 255.0)
#define TINT_G (3 / 255.0)
#define TINT_B (215 / 255.0)

/* The explorer's backdrop: a dark stage lit from the middle, with a floor line. */
static int draw_explorer_bg(const char* path, int width, int height)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, width, height);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.17, 0.13, 0.20);
    cairo_pattern_add_color_stop_rgb(sky, 0.62, 0.08, 0.07, 0.10);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.03, 0.03, 0.04);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);
    double cx = width / 2.0, cy = height * 0.42;
    cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, 0, cx, cy, width * 0.55);
    cairo_pattern_add_color_stop_rgba(glow, 0, TINT_R, TINT_G, TINT_B, 0.28);
    cairo_pattern_add_color_stop_rgba(glow, 1, TINT_R, TINT_G, TINT_B, 0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);
    /* The floor: a faint line with a reflection band below it. */
    double floor_y = height * 0.70;
    cairo_pattern_t* floor = cairo_pattern_create_linear(0, 0, width, 0);
    cairo_pattern_add_color_stop_rgba(floor, 0, 1, 1, 1, 0);
    cairo_pattern_add_color_stop_rgba(floor, 0.5, 1, 1, 1, 0.22);
    cairo_pattern_add_color_stop_rgba(floor, 1, 1, 1, 1, 0);
    cairo_set_source(cr, floor);
    cairo_rectangle(cr, 0, floor_y, width, 1);
    cairo_fill(cr);
    cairo_pattern_destroy(floor);
    /* Small stars of light, placed by a fixed rule so the picture never changes. */
    for (int i = 0; i < 40; ++i) {
        double x = fmod(i * 137.5, width), y = fmod(i * 71.3, floor_y * 0.8);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.05 + 0.05 * (i % 3));
        cairo_arc(cr, x, y, 1 + (i % 2), 0, 2 * M_PI);
        cairo_fill(cr);
    }
    return finish(surface, cr, path);
}

/* The frame drawn over each project's picture in the carousel. */
static int draw_explorer_frame_fg(const char* path, int width, int height)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, width, height);
    double edge = width / 53.0; /* 4 points on the phone's item */
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    rounded_rectangle(cr, 0, 0, width, height, edge * 2);
    rounded_rectangle(cr, edge, edge, width - 2 * edge, height - 2 * edge, edge);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.92);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1);
    rounded_rectangle(cr, edge + 0.5, edge + 0.5, width - 2 * edge - 1, height - 2 * edge - 1, edge);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* The new-project slot: a plus in a ring. */
static int draw_explorer_icon_new(const char* path)
{
    const int size = 100;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    cairo_arc(cr, size / 2.0, size / 2.0, size / 2.0 - 4, 0, 2 * M_PI);
    cairo_set_source_rgba(cr, TINT_R, TINT_G, TINT_B, 0.85);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.95);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 9);
    cairo_move_to(cr, size / 2.0, 26);
    cairo_line_to(cr, size / 2.0, size - 26);
    cairo_move_to(cr, 26, size / 2.0);
    cairo_line_to(cr, size - 26, size / 2.0);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* Toolbar icons: white shapes on transparent, tinted by the toolbar. */
enum icon { ICON_HELP, ICON_GALLERY, ICON_PLAY, ICON_SHARE, ICON_DUPLICATE, ICON_EDIT, ICON_TRASH };

static int draw_icon(const char* path, enum icon kind, int size)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    double u = size / 28.0;
    cairo_scale(cr, u, u);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    switch (kind) {
    case ICON_HELP:
        cairo_arc(cr, 14, 14, 12, 0, 2 * M_PI);
        cairo_stroke(cr);
        cairo_arc(cr, 14, 11, 4, M_PI, 2.4 * M_PI);
        cairo_line_to(cr, 14, 17);
        cairo_stroke(cr);
        cairo_arc(cr, 14, 21, 1.4, 0, 2 * M_PI);
        cairo_fill(cr);
        break;
    case ICON_GALLERY:
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column)
                rounded_rectangle(cr, 3 + column * 12, 3 + row * 12, 10, 10, 2);
        cairo_fill(cr);
        break;
    case ICON_PLAY:
        cairo_move_to(cr, 7, 4);
        cairo_line_to(cr, 24, 14);
        cairo_line_to(cr, 7, 24);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    case ICON_SHARE:
        cairo_move_to(cr, 9, 11);
        cairo_line_to(cr, 5, 11);
        cairo_line_to(cr, 5, 26);
        cairo_line_to(cr, 23, 26);
        cairo_line_to(cr, 23, 11);
        cairo_line_to(cr, 19, 11);
        cairo_stroke(cr);
        cairo_move_to(cr, 14, 18);
        cairo_line_to(cr, 14, 2);
        cairo_move_to(cr, 9, 7);
        cairo_line_to(cr, 14, 2);
        cairo_line_to(cr, 19, 7);
        cairo_stroke(cr);
        break;
    case ICON_DUPLICATE:
        rounded_rectangle(cr, 9, 3, 15, 17, 2);
        cairo_stroke(cr);
        rounded_rectangle(cr, 4, 8, 15, 17, 2);
        cairo_fill(cr);
        break;
    case ICON_EDIT:
        cairo_save(cr);
        cairo_translate(cr, 14, 14);
        cairo_rotate(cr, M_PI / 4);
        rounded_rectangle(cr, -3.5, -13, 7, 19, 1.5);
        cairo_fill(cr);
        cairo_move_to(cr, -3.5, 8);
        cairo_line_to(cr, 0, 13);
        cairo_line_to(cr, 3.5, 8);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_restore(cr);
        break;
    case ICON_TRASH:
        cairo_move_to(cr, 4, 7);
        cairo_line_to(cr, 24, 7);
        cairo_move_to(cr, 11, 7);
        cairo_line_to(cr, 11, 3);
        cairo_line_to(cr, 17, 3);
        cairo_line_to(cr, 17, 7);
        cairo_stroke(cr);
        cairo_move_to(cr, 6, 9);
        cairo_line_to(cr, 8, 26);
        cairo_line_to(cr, 20, 26);
        cairo_line_to(cr, 22, 9);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    }
    return finish(surface, cr, path);
}

/* The app's mark: three film frames in a row, the middle one lit. */
static void app_mark(cairo_t* cr, double cx, double cy, double frame_width)
{
    double fh = frame_width * 0.62;
    for (int i = -1; i <= 1; ++i) {
        double x = cx + i * frame_width * 1.15 - frame_width / 2;
        rounded_rectangle(cr, x, cy - fh / 2, frame_width, fh, frame_width * 0.08);
        if (i == 0)
            cairo_set_source_rgb(cr, TINT_R, TINT_G, TINT_B);
        else
            cairo_set_source_rgba(cr, 1, 1, 1, 0.25);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_arc(cr, cx, cy, fh * 0.22, 0, 2 * M_PI);
    cairo_fill(cr);
}

/* Launch pictures: the backdrop, the mark and the name, upright on a phone. */
static int draw_launch(const char* path, int width, int height)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, width, height);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.17, 0.13, 0.20);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.03, 0.03, 0.04);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);
    double unit = (width < height ? width : height) / 320.0;
    app_mark(cr, width / 2.0, height / 2.0 - 20 * unit, 60 * unit);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 30 * unit);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, "Zantrope", &extents);
    cairo_move_to(cr, width / 2.0 - extents.width / 2 - extents.x_bearing, height / 2.0 + 50 * unit);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_show_text(cr, "Zantrope");
    return finish(surface, cr, path);
}

/* The duplicate target in the share sheet. */
static int draw_share_icon_duplicate(const char* path)
{
    const int size = 60;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    rounded_rectangle(cr, 0, 0, size, size, 12);
    cairo_set_source_rgb(cr, TINT_R, TINT_G, TINT_B);
    cairo_fill(cr);
    cairo_translate(cr, 10, 10);
    cairo_scale(cr, 40 / 28.0, 40 / 28.0);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 2);
    rounded_rectangle(cr, 9, 3, 15, 17, 2);
    cairo_stroke(cr);
    rounded_rectangle(cr, 4, 8, 15, 17, 2);
    cairo_fill(cr);
    return finish(surface, cr, path);
}

/* The other share targets: a tinted tile with a white sign. */
enum share_icon { SHARE_PHOTO_ALBUM, SHARE_FILE_SHARING, SHARE_OPEN_IN };

static int draw_share_icon(const char* path, enum share_icon kind)
{
    const int size = 60;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    rounded_rectangle(cr, 0, 0, size, size, 12);
    cairo_set_source_rgb(cr, TINT_R, TINT_G, TINT_B);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 3);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    switch (kind) {
    case SHARE_PHOTO_ALBUM:
        /* A photo: a frame with a sun over two hills. */
        rounded_rectangle(cr, 12, 16, 36, 28, 3);
        cairo_stroke(cr);
        cairo_arc(cr, 39, 24, 3.5, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_move_to(cr, 14, 42);
        cairo_line_to(cr, 25, 28);
        cairo_line_to(cr, 33, 37);
        cairo_line_to(cr, 38, 32);
        cairo_line_to(cr, 46, 42);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    case SHARE_FILE_SHARING:
        /* A folder with an arrow going in. */
        cairo_move_to(cr, 11, 20);
        cairo_line_to(cr, 24, 20);
        cairo_line_to(cr, 28, 24);
        cairo_line_to(cr, 49, 24);
        cairo_line_to(cr, 49, 46);
        cairo_line_to(cr, 11, 46);
        cairo_close_path(cr);
        cairo_stroke(cr);
        cairo_move_to(cr, 30, 28);
        cairo_line_to(cr, 30, 41);
        cairo_move_to(cr, 24, 35);
        cairo_line_to(cr, 30, 41);
        cairo_line_to(cr, 36, 35);
        cairo_stroke(cr);
        break;
    case SHARE_OPEN_IN:
        /* A box with an arrow leaving it. */
        cairo_move_to(cr, 27, 16);
        cairo_line_to(cr, 14, 16);
        cairo_line_to(cr, 14, 46);
        cairo_line_to(cr, 44, 46);
        cairo_line_to(cr, 44, 33);
        cairo_stroke(cr);
        cairo_move_to(cr, 26, 34);
        cairo_line_to(cr, 46, 14);
        cairo_move_to(cr, 34, 14);
        cairo_line_to(cr, 46, 14);
        cairo_line_to(cr, 46, 26);
        cairo_stroke(cr);
        break;
    }
    return finish(surface, cr, path);
}

/* The capture source chooser's icons: white shapes on transparent, drawn
 * in the tint colour as templates. */
enum capture_icon { CAPTURE_CAMERA, CAPTURE_4K, CAPTURE_REMOTE, CAPTURE_REMOTE_APP };

static void radio_waves(cairo_t* cr, double cx, double cy, double from, double to)
{
    for (int i = 1; i <= 2; ++i) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx, cy, 3.5 * i, from, to);
        cairo_stroke(cr);
    }
}

static int draw_capture_icon(const char* path, enum capture_icon kind)
{
    const int size = 28;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 1.8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    switch (kind) {
    case CAPTURE_CAMERA:
        camera(cr, 14, 14.5, 24, 1, 1, 1);
        break;
    case CAPTURE_4K:
        camera(cr, 14, 16, 22, 1, 1, 1);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_arc(cr, 14, 17.5, 7.2, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 8.5);
        cairo_move_to(cr, 8.6, 20.6);
        cairo_show_text(cr, "4K");
        break;
    case CAPTURE_REMOTE:
        camera(cr, 11, 17, 19, 1, 1, 1);
        radio_waves(cr, 21, 9, -M_PI / 2, 0);
        break;
    case CAPTURE_REMOTE_APP:
        rounded_rectangle(cr, 5, 4, 12, 21, 2.2);
        cairo_stroke(cr);
        cairo_arc(cr, 11, 22, 1.1, 0, 2 * M_PI);
        cairo_fill(cr);
        radio_waves(cr, 19, 10, -M_PI / 2, 0);
        break;
    }
    return finish(surface, cr, path);
}

/* The photo picker's mark of a selected tile. It is stretched with caps of
 * 1 and 1: only column 1 and row 1 grow, so the rim keeps one pixel and the
 * badge stays whole in the lower right corner. */
static int draw_picker_overlay(const char* path)
{
    const int size = 40;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, TINT_R, TINT_G, TINT_B);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, size - 1, size - 1);
    cairo_stroke(cr);
    /* The badge: a tinted disc with a white rim and a white tick. */
    double cx = size - 12.5, cy = size - 12.5, r = 9;
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2.2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, cx - 4.5, cy + 0.2);
    cairo_line_to(cr, cx - 1.2, cy + 3.5);
    cairo_line_to(cr, cx + 4.8, cy - 3.5);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* The popover bubble: a light body 6 points in from each edge, its border
 * in the outermost point of that margin and a soft shadow outside it. The
 * popover stretches the single middle row and column (caps of 15). */
static int draw_popover_background(const char* path)
{
    const int size = 31;
    const double margin = 6, radius = 7;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    for (int ring = 5; ring >= 1; --ring) {
        cairo_set_source_rgba(cr, 0, 0, 0, 0.035 * (6 - ring));
        rounded_rectangle(cr, margin - ring, margin - ring + 1, size - 2 * (margin - ring), size - 2 * (margin - ring) - 1,
            radius + ring);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 0.55, 0.55, 0.58);
    rounded_rectangle(cr, margin - 1, margin - 1, size - 2 * (margin - 1), size - 2 * (margin - 1), radius + 1);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.97, 0.97, 0.98);
    rounded_rectangle(cr, margin, margin, size - 2 * margin, size - 2 * margin, radius);
    cairo_fill(cr);
    return finish(surface, cr, path);
}

enum arrow_side { ARROW_UP, ARROW_DOWN, ARROW_LEFT, ARROW_RIGHT };

/* A popover arrow 24 points wide and 13 high (turned for left and right):
 * the body's colour with the border on its two slanted sides. Its base row
 * lies over the bubble's border, so the arrow and the body join without a line. */
static int draw_popover_arrow(const char* path, enum arrow_side side)
{
    const double base = 24, height = 13;
    const int horizontal = side == ARROW_LEFT || side == ARROW_RIGHT;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, horizontal ? (int)height : (int)base, horizontal ? (int)base : (int)height);
    /* Drawn as the up arrow, then turned into place. */
    switch (side) {
    case ARROW_UP:
        break;
    case ARROW_DOWN:
        cairo_translate(cr, 0, height);
        cairo_scale(cr, 1, -1);
        break;
    case ARROW_LEFT:
        cairo_translate(cr, 0, base);
        cairo_rotate(cr, -M_PI / 2);
        break;
    case ARROW_RIGHT:
        cairo_translate(cr, height, 0);
        cairo_rotate(cr, M_PI / 2);
        break;
    }
    cairo_move_to(cr, 0, height);
    cairo_line_to(cr, base / 2, 0.5);
    cairo_line_to(cr, base, height);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.55, 0.55, 0.58);
    cairo_fill(cr);
    cairo_move_to(cr, 1.6, height);
    cairo_line_to(cr, base / 2, 1.9);
    cairo_line_to(cr, base - 1.6, height);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.97, 0.97, 0.98);
    cairo_fill(cr);
    return finish(surface, cr, path);
}

/* Icons of the frame editor's panels: white shapes on transparent, drawn in
 * the tint of the view that shows them (template pictures). */
enum editor_icon { EDITOR_ICON_IMPORT, EDITOR_ICON_THEME, EDITOR_ICON_AUDIO, EDITOR_ICON_FLIP_H, EDITOR_ICON_FLIP_V };

static void flip_arrows(cairo_t* cr)
{
    /* Drawn for the horizontal mirror: a solid half, its outlined mirror image and the axis between. */
    cairo_move_to(cr, 12, 5);
    cairo_line_to(cr, 12, 23);
    cairo_line_to(cr, 2, 23);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_move_to(cr, 16, 5);
    cairo_line_to(cr, 16, 23);
    cairo_line_to(cr, 26, 23);
    cairo_close_path(cr);
    cairo_stroke(cr);
    double dashes[] = {2, 2};
    cairo_set_dash(cr, dashes, 2, 0);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, 14, 1);
    cairo_line_to(cr, 14, 27);
    cairo_stroke(cr);
    cairo_set_dash(cr, NULL, 0, 0);
}

static int draw_editor_icon(const char* path, enum editor_icon kind, int size)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    double u = size / 28.0;
    cairo_scale(cr, u, u);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    switch (kind) {
    case EDITOR_ICON_IMPORT: /* a photo with a plus */
        rounded_rectangle(cr, 2, 7, 19, 17, 2);
        cairo_stroke(cr);
        cairo_move_to(cr, 4, 22);
        cairo_line_to(cr, 10, 14);
        cairo_line_to(cr, 14, 19);
        cairo_line_to(cr, 16, 17);
        cairo_line_to(cr, 19, 22);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_arc(cr, 15.5, 11.5, 1.8, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_move_to(cr, 22, 2);
        cairo_line_to(cr, 22, 10);
        cairo_move_to(cr, 18, 6);
        cairo_line_to(cr, 26, 6);
        cairo_stroke(cr);
        break;
    case EDITOR_ICON_THEME: /* a title card: a title line and two lines of credits */
        rounded_rectangle(cr, 2, 5, 24, 18, 2.5);
        cairo_fill(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_set_line_width(cr, 2.5);
        cairo_move_to(cr, 8, 10);
        cairo_line_to(cr, 20, 10);
        cairo_stroke(cr);
        cairo_set_line_width(cr, 1.5);
        cairo_move_to(cr, 10, 15);
        cairo_line_to(cr, 18, 15);
        cairo_move_to(cr, 11, 18.5);
        cairo_line_to(cr, 17, 18.5);
        cairo_stroke(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        break;
    case EDITOR_ICON_AUDIO: /* two beamed notes */
        for (int i = 0; i < 2; ++i) {
            cairo_save(cr);
            cairo_translate(cr, 8 + i * 12, 21 - i * 2);
            cairo_rotate(cr, -0.35);
            cairo_scale(cr, 1, 0.72);
            cairo_arc(cr, 0, 0, 4, 0, 2 * M_PI);
            cairo_restore(cr);
            cairo_fill(cr);
        }
        cairo_move_to(cr, 11.5, 20);
        cairo_line_to(cr, 11.5, 6);
        cairo_move_to(cr, 23.5, 18);
        cairo_line_to(cr, 23.5, 4);
        cairo_stroke(cr);
        cairo_move_to(cr, 11.5, 5);
        cairo_line_to(cr, 23.5, 3);
        cairo_line_to(cr, 23.5, 7);
        cairo_line_to(cr, 11.5, 9);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    case EDITOR_ICON_FLIP_H:
        flip_arrows(cr);
        break;
    case EDITOR_ICON_FLIP_V:
        cairo_translate(cr, 0, 28);
        cairo_rotate(cr, -M_PI / 2);
        flip_arrows(cr);
        break;
    }
    return finish(surface, cr, path);
}

/* The audio pickers' pictures: tab icons (drawn in black; the tab bar tints
 * them), the album placeholders and the preview buttons of the track rows. */
enum picker_icon { PICKER_PLAYLISTS, PICKER_ARTISTS, PICKER_ALBUMS, PICKER_SONGS, PICKER_RECORDS, PICKER_MUSIC, PICKER_EFFECTS };

static void note(cairo_t* cr, double x, double y, double s)
{
    cairo_arc(cr, x, y, s * 0.16, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_rectangle(cr, x + s * 0.11, y - s * 0.62, s * 0.07, s * 0.62);
    cairo_fill(cr);
    cairo_move_to(cr, x + s * 0.18, y - s * 0.62);
    cairo_curve_to(cr, x + s * 0.40, y - s * 0.52, x + s * 0.42, y - s * 0.36, x + s * 0.30, y - s * 0.26);
    cairo_set_line_width(cr, s * 0.07);
    cairo_stroke(cr);
}

static int draw_picker_icon(const char* path, enum picker_icon kind)
{
    const int size = 30;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    cairo_set_source_rgb(cr, 0, 0, 0);
    switch (kind) {
    case PICKER_PLAYLISTS:
        for (int i = 0; i < 3; ++i) {
            cairo_rectangle(cr, 3, 6 + i * 6, 14, 2.5);
            cairo_fill(cr);
        }
        note(cr, 21, 24, 18);
        break;
    case PICKER_ARTISTS:
        cairo_arc(cr, 15, 10, 6, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_arc(cr, 15, 30, 11, M_PI, 2 * M_PI);
        cairo_fill(cr);
        break;
    case PICKER_ALBUMS:
        cairo_arc(cr, 15, 15, 12, 0, 2 * M_PI);
        cairo_arc_negative(cr, 15, 15, 3, 2 * M_PI, 0);
        cairo_fill(cr);
        break;
    case PICKER_SONGS:
        note(cr, 12, 24, 24);
        break;
    case PICKER_RECORDS:
        rounded_rectangle(cr, 11, 3, 8, 15, 4);
        cairo_fill(cr);
        cairo_set_line_width(cr, 2);
        cairo_arc(cr, 15, 13, 8, 0, M_PI);
        cairo_stroke(cr);
        cairo_rectangle(cr, 14, 21, 2, 5);
        cairo_rectangle(cr, 10, 26, 10, 2);
        cairo_fill(cr);
        break;
    case PICKER_MUSIC:
        note(cr, 8, 25, 20);
        note(cr, 19, 22, 20);
        break;
    case PICKER_EFFECTS:
        for (int i = 0; i < 10; ++i) {
            double angle = -M_PI / 2 + i * M_PI / 5, radius = i % 2 == 0 ? 13 : 5.5;
            double x = 15 + radius * cos(angle), y = 16 + radius * sin(angle);
            if (i == 0)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
        }
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    }
    return finish(surface, cr, path);
}

static int draw_album_placeholder(const char* path, int size)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    cairo_pattern_t* background = cairo_pattern_create_linear(0, 0, size, size);
    cairo_pattern_add_color_stop_rgb(background, 0, 0.82, 0.82, 0.85);
    cairo_pattern_add_color_stop_rgb(background, 1, 0.62, 0.62, 0.66);
    cairo_set_source(cr, background);
    cairo_paint(cr);
    cairo_pattern_destroy(background);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
    note(cr, size * 0.42, size * 0.72, size * 0.6);
    return finish(surface, cr, path);
}

static int draw_track_button(const char* path, int stop)
{
    const int size = 30;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    cairo_set_source_rgb(cr, 212 / 255.0, 3 / 255.0, 215 / 255.0);
    cairo_set_line_width(cr, 2);
    cairo_arc(cr, 15, 15, 13, 0, 2 * M_PI);
    cairo_stroke(cr);
    if (stop) {
        cairo_rectangle(cr, 10, 10, 10, 10);
    } else {
        cairo_move_to(cr, 11.5, 8.5);
        cairo_line_to(cr, 22, 15);
        cairo_line_to(cr, 11.5, 21.5);
        cairo_close_path(cr);
    }
    cairo_fill(cr);
    return finish(surface, cr, path);
}

/* A painter brush's dab: white, so that the brush colour tints it, with an
 * alpha that falls from `core` of the radius outwards to nothing at the rim. */
static int draw_brush_dab(const char* path, int side, double core)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, side, side);
    double r = side / 2.0;
    cairo_pattern_t* dab = cairo_pattern_create_radial(r, r, 0, r, r, r);
    cairo_pattern_add_color_stop_rgba(dab, 0, 1, 1, 1, 1);
    cairo_pattern_add_color_stop_rgba(dab, core, 1, 1, 1, 1);
    cairo_pattern_add_color_stop_rgba(dab, 1, 1, 1, 1, 0);
    cairo_set_source(cr, dab);
    cairo_arc(cr, r, r, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(dab);
    return finish(surface, cr, path);
}

enum layer_button { LAYER_IMPORT, LAYER_EXPORT, LAYER_DUPLICATE };

/* The layer list's bar buttons: a sheet with an arrow in or out, or two sheets. */
static int draw_layer_button(const char* path, enum layer_button kind)
{
    const int side = 44;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, side, side);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 2.5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    if (kind == LAYER_DUPLICATE) {
        rounded_rectangle(cr, 9, 7, 20, 24, 3);
        cairo_stroke(cr);
        rounded_rectangle(cr, 16, 14, 20, 24, 3);
        cairo_fill(cr);
        return finish(surface, cr, path);
    }
    rounded_rectangle(cr, 8, 20, 28, 17, 3);
    cairo_stroke(cr);
    double tip = kind == LAYER_IMPORT ? 27 : 5;
    double tail = kind == LAYER_IMPORT ? 5 : 27;
    cairo_move_to(cr, 22, tail);
    cairo_line_to(cr, 22, tip);
    cairo_stroke(cr);
    double wing = kind == LAYER_IMPORT ? -6 : 6;
    cairo_move_to(cr, 16, tip + wing);
    cairo_line_to(cr, 22, tip);
    cairo_line_to(cr, 28, tip + wing);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* The capture screen's slider knob: a white disc with a grey rim. */
static int draw_zoom_knob(const char* path)
{
    const int size = 28;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_arc(cr, 14, 15, 12, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_arc(cr, 14, 14, 12, 0, 2 * M_PI);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* The zoom slider's ends: a white magnifying glass with a minus or a plus. */
static int draw_zoom_end(const char* path, int plus)
{
    const int size = 22;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 2);
    cairo_arc(cr, 9, 9, 6.5, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, 14, 14);
    cairo_line_to(cr, 19.5, 19.5);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.6);
    cairo_move_to(cr, 6, 9);
    cairo_line_to(cr, 12, 9);
    if (plus) {
        cairo_move_to(cr, 9, 6);
        cairo_line_to(cr, 9, 12);
    }
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* The exposure slider's bright end: a white sun. */
static int draw_exposure_sun(const char* path)
{
    const int size = 22;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    cairo_set_source_rgb(cr, 1, 0.9, 0.35);
    cairo_arc(cr, 11, 11, 4.5, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int ray = 0; ray < 8; ++ray) {
        double angle = ray * M_PI / 4;
        cairo_move_to(cr, 11 + 7 * cos(angle), 11 + 7 * sin(angle));
        cairo_line_to(cr, 11 + 9.5 * cos(angle), 11 + 9.5 * sin(angle));
    }
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* The shutter: a white ring round a disc in the app's colour. */
static int draw_shutter(const char* path)
{
    const int size = 60;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 4);
    cairo_arc(cr, 30, 30, 27, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, TINT_R, TINT_G, TINT_B);
    cairo_arc(cr, 30, 30, 21, 0, 2 * M_PI);
    cairo_fill(cr);
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
    failures += draw_thumb_camera(OUT("thumb_camera.png"));
    failures += draw_explorer_placeholder(OUT("explorer_placeholder.png"));
    failures += draw_explorer_bg(OUT("explorer_bg.png"), 568, 320);
    failures += draw_explorer_bg(OUT("explorer_bg_iPad.png"), 1024, 768);
    failures += draw_explorer_frame_fg(OUT("explorer_frame_fg.png"), 212, 120);
    failures += draw_explorer_frame_fg(OUT("explorer_frame_fg_iPad.png"), 424, 240);
    failures += draw_explorer_icon_new(OUT("explorer_icon_new_ios7.png"));
    failures += draw_icon(OUT("explorer_icon_help_ios7.png"), ICON_HELP, 28);
    failures += draw_icon(OUT("explorer_icon_galery_ios7.png"), ICON_GALLERY, 28);
    failures += draw_icon(OUT("explorer_icon_play_ios7.png"), ICON_PLAY, 28);
    failures += draw_icon(OUT("explorer_icon_share_ios7.png"), ICON_SHARE, 28);
    failures += draw_icon(OUT("explorer_icon_duplicate_ios7.png"), ICON_DUPLICATE, 28);
    failures += draw_icon(OUT("explorer_icon_edit_ios7.png"), ICON_EDIT, 28);
    failures += draw_icon(OUT("explorer_icon_trash_ios7.png"), ICON_TRASH, 28);
    failures += draw_share_icon_duplicate(OUT("share_icon_duplicate.png"));
    failures += draw_share_icon(OUT("share_icon_photoroll.png"), SHARE_PHOTO_ALBUM);
    failures += draw_share_icon(OUT("share_icon_filesharing.png"), SHARE_FILE_SHARING);
    failures += draw_share_icon(OUT("share_icon_openin.png"), SHARE_OPEN_IN);
    failures += draw_launch(OUT("default-568h.png"), 320, 568);
    failures += draw_launch(OUT("default.png"), 320, 480);
    failures += draw_launch(OUT("IpadLaunchImage-LandscapeLeft.png"), 1024, 768);
    failures += draw_capture_icon(OUT("capturesource_icon_camera.png"), CAPTURE_CAMERA);
    failures += draw_capture_icon(OUT("capturesource_icon_4kcamera.png"), CAPTURE_4K);
    failures += draw_capture_icon(OUT("capturesource_icon_remote.png"), CAPTURE_REMOTE);
    failures += draw_capture_icon(OUT("capturesource_icon_remote_app.png"), CAPTURE_REMOTE_APP);
    failures += draw_popover_background(OUT("popoverBgSimple.png"));
    failures += draw_popover_arrow(OUT("popoverArrowUpSimple.png"), ARROW_UP);
    failures += draw_popover_arrow(OUT("popoverArrowDownSimple.png"), ARROW_DOWN);
    failures += draw_popover_arrow(OUT("popoverArrowLeftSimple.png"), ARROW_LEFT);
    failures += draw_popover_arrow(OUT("popoverArrowRightSimple.png"), ARROW_RIGHT);
    failures += draw_editor_icon(OUT("capturesource_icon_import.png"), EDITOR_ICON_IMPORT, 28);
    failures += draw_editor_icon(OUT("mediaselection_theme.png"), EDITOR_ICON_THEME, 28);
    failures += draw_editor_icon(OUT("mediaselection_audio.png"), EDITOR_ICON_AUDIO, 28);
    failures += draw_editor_icon(OUT("imageeditor_flip_horizontal.png"), EDITOR_ICON_FLIP_H, 28);
    failures += draw_editor_icon(OUT("imageeditor_flip_vertical.png"), EDITOR_ICON_FLIP_V, 28);
    failures += draw_picker_overlay(OUT("APImagePicker.bundle/Overlay.png"));
    failures += draw_picker_icon(OUT("Playlists.png"), PICKER_PLAYLISTS);
    failures += draw_picker_icon(OUT("Artists.png"), PICKER_ARTISTS);
    failures += draw_picker_icon(OUT("Albums.png"), PICKER_ALBUMS);
    failures += draw_picker_icon(OUT("Songs.png"), PICKER_SONGS);
    failures += draw_picker_icon(OUT("qvmediapicker_tab_theme_records.png"), PICKER_RECORDS);
    failures += draw_picker_icon(OUT("qvmediapicker_tab_theme_music.png"), PICKER_MUSIC);
    failures += draw_picker_icon(OUT("qvmediapicker_tab_theme_effects.png"), PICKER_EFFECTS);
    failures += draw_album_placeholder(OUT("AlbumArtPlaceholder.png"), 110);
    failures += draw_album_placeholder(OUT("AlbumArtPlaceholderLarge.png"), 220);
    failures += draw_track_button(OUT("mq_track_play.png"), 0);
    failures += draw_track_button(OUT("mq_track_stop.png"), 1);
    failures += draw_brush_dab(OUT("Particle_test.png"), 64, 0.0);
    failures += draw_brush_dab(OUT("Brush.png"), 64, 0.55);
    failures += draw_layer_button(OUT("painter_btn_import.png"), LAYER_IMPORT);
    failures += draw_layer_button(OUT("painter_btn_export.png"), LAYER_EXPORT);
    failures += draw_layer_button(OUT("painter_btn_duplicate.png"), LAYER_DUPLICATE);
    failures += draw_zoom_knob(OUT("zoom_track_knop.png"));
    failures += draw_zoom_end(OUT("captureview_zoom_min.png"), 0);
    failures += draw_zoom_end(OUT("captureview_zoom_max.png"), 1);
    failures += draw_exposure_sun(OUT("captureview_exposure_control_thumb.png"));
    failures += draw_shutter(OUT("captureview_shutter.png"));
#undef OUT
    return failures == 0 ? 0 : 1;
}

