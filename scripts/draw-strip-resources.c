/* Draws the pictures of the frame strip, its frame menu and the grid menu's
 * panel with cairo. Build and run it through scripts/draw-resources.sh,
 * which writes the pictures into resources/. */
#include <cairo.h>
#include <math.h>
#include <stdio.h>

#include "draw-common.h"

/* An item past the end of the frame list: an empty slot. */
static int draw_thumb_empty(const char* path)
{
    const int width = 272, height = 153;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, width, height);
    cairo_set_source_rgb(cr, 0.10, 0.10, 0.11);
    cairo_paint(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.18);
    cairo_set_line_width(cr, 3);
    rounded_rectangle(cr, 8.5, 8.5, width - 17, height - 17, 10);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* A frame whose picture cannot be read: the empty slot's ground with a
 * cracked picture in amber, so that it is not taken for an empty slot. */
static int draw_thumb_unreadable(const char* path)
{
    const int width = 272, height = 153;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, width, height);
    cairo_set_source_rgb(cr, 0.10, 0.10, 0.11);
    cairo_paint(cr);
    const double amber[3] = {1.0, 0.72, 0.22};
    cairo_set_source_rgba(cr, amber[0], amber[1], amber[2], 0.55);
    cairo_set_line_width(cr, 3);
    rounded_rectangle(cr, 8.5, 8.5, width - 17, height - 17, 10);
    cairo_stroke(cr);
    /* The picture: a frame with a sun and two hills, 112 x 76, centred. */
    const double x = (width - 112) / 2.0, y = (height - 76) / 2.0;
    cairo_set_source_rgb(cr, amber[0], amber[1], amber[2]);
    cairo_set_line_width(cr, 6);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    rounded_rectangle(cr, x, y, 112, 76, 8);
    cairo_stroke(cr);
    cairo_arc(cr, x + 30, y + 24, 9, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_move_to(cr, x + 8, y + 68);
    cairo_line_to(cr, x + 42, y + 34);
    cairo_line_to(cr, x + 64, y + 56);
    cairo_line_to(cr, x + 78, y + 42);
    cairo_line_to(cr, x + 104, y + 68);
    cairo_close_path(cr);
    cairo_fill(cr);
    /* The crack, in the ground's colour, through the whole picture. */
    cairo_set_source_rgb(cr, 0.10, 0.10, 0.11);
    cairo_set_line_width(cr, 7);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x + 70, y - 6);
    cairo_line_to(cr, x + 56, y + 22);
    cairo_line_to(cr, x + 72, y + 40);
    cairo_line_to(cr, x + 54, y + 60);
    cairo_line_to(cr, x + 62, y + 82);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* Frame-menu icons: white shapes on transparent, drawn as template pictures
 * (the menu tints them). The 80-point canvas matches the item's picture
 * button; the shape keeps to the upper part, above the item's title. */
enum menu_icon { MENU_CAPTURE, MENU_HOLD, MENU_SELECT, MENU_COPY, MENU_PASTE, MENU_PASTE_REVERSE, MENU_DELETE };

static void frame_card(cairo_t* cr, double x, double y)
{
    rounded_rectangle(cr, x, y, 18, 13, 2);
}

static int draw_menu_icon(const char* path, enum menu_icon kind)
{
    const int size = 80;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, size, size);
    /* The shape is drawn in a 40-point square whose top is 8 points down. */
    cairo_translate(cr, 20, 8);
    cairo_scale(cr, 40 / 28.0, 40 / 28.0);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    switch (kind) {
    case MENU_CAPTURE:
        rounded_rectangle(cr, 2, 8, 24, 16, 3);
        cairo_move_to(cr, 9, 8);
        cairo_line_to(cr, 11, 4);
        cairo_line_to(cr, 17, 4);
        cairo_line_to(cr, 19, 8);
        cairo_stroke(cr);
        cairo_arc(cr, 14, 16, 4.5, 0, 2 * M_PI);
        cairo_fill(cr);
        break;
    case MENU_HOLD:
        for (int i = 0; i < 3; ++i) {
            frame_card(cr, 2 + i * 3, 4 + i * 5);
            cairo_stroke(cr);
        }
        cairo_move_to(cr, 25, 8);
        cairo_line_to(cr, 25, 22);
        cairo_stroke(cr);
        break;
    case MENU_SELECT:
        cairo_move_to(cr, 3, 14);
        cairo_line_to(cr, 25, 14);
        cairo_stroke(cr);
        cairo_move_to(cr, 3, 6);
        cairo_line_to(cr, 3, 22);
        cairo_move_to(cr, 25, 6);
        cairo_line_to(cr, 25, 22);
        cairo_stroke(cr);
        cairo_move_to(cr, 8, 10);
        cairo_line_to(cr, 4, 14);
        cairo_line_to(cr, 8, 18);
        cairo_move_to(cr, 20, 10);
        cairo_line_to(cr, 24, 14);
        cairo_line_to(cr, 20, 18);
        cairo_stroke(cr);
        break;
    case MENU_COPY:
        rounded_rectangle(cr, 9, 3, 15, 17, 2);
        cairo_stroke(cr);
        rounded_rectangle(cr, 4, 8, 15, 17, 2);
        cairo_fill(cr);
        break;
    case MENU_PASTE:
    case MENU_PASTE_REVERSE:
        rounded_rectangle(cr, 5, 5, 18, 21, 2);
        cairo_stroke(cr);
        rounded_rectangle(cr, 10, 2, 8, 5, 1.5);
        cairo_fill(cr);
        if (kind == MENU_PASTE) {
            cairo_move_to(cr, 9, 16);
            cairo_line_to(cr, 19, 16);
            cairo_line_to(cr, 15, 12);
            cairo_move_to(cr, 19, 16);
            cairo_line_to(cr, 15, 20);
        } else {
            cairo_move_to(cr, 19, 16);
            cairo_line_to(cr, 9, 16);
            cairo_line_to(cr, 13, 12);
            cairo_move_to(cr, 9, 16);
            cairo_line_to(cr, 13, 20);
        }
        cairo_stroke(cr);
        break;
    case MENU_DELETE:
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

/* The grid menu's bottom panel on systems before the flat style: dark
 * glass with a lit top edge, stretched below its 30-point top cap. */
static int draw_action_sheet_panel(const char* path)
{
    const int width = 64, height = 64;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, width, height);
    cairo_pattern_t* glass = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgba(glass, 0, 0.32, 0.33, 0.38, 0.95);
    cairo_pattern_add_color_stop_rgba(glass, 0.47, 0.16, 0.17, 0.20, 0.95);
    cairo_pattern_add_color_stop_rgba(glass, 1, 0.12, 0.12, 0.14, 0.95);
    cairo_set_source(cr, glass);
    cairo_paint(cr);
    cairo_pattern_destroy(glass);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_rectangle(cr, 0, 0, width, 1);
    cairo_fill(cr);
    return finish(surface, cr, path);
}

/* Its cancel button in black: stretched between its two halves. */
static int draw_action_button(const char* path)
{
    const int width = 22, height = 45;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, width, height);
    cairo_pattern_t* shine = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(shine, 0, 0.30, 0.30, 0.32);
    cairo_pattern_add_color_stop_rgb(shine, 0.5, 0.08, 0.08, 0.09);
    cairo_pattern_add_color_stop_rgb(shine, 1, 0.02, 0.02, 0.02);
    rounded_rectangle(cr, 0.5, 0.5, width - 1, height - 1, 8);
    cairo_set_source(cr, shine);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(shine);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.9);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s resources-folder\n", argv[0]);
        return 2;
    }
    char path[4096];
    int failures = 0;
#define OUT(name) (snprintf(path, sizeof path, "%s/%s", argv[1], name), path)
    failures += draw_thumb_empty(OUT("thumb_empty.png"));
    failures += draw_thumb_unreadable(OUT("thumb_unreadable.png"));
    failures += draw_menu_icon(OUT("thumbmenu_icon_capture.png"), MENU_CAPTURE);
    failures += draw_menu_icon(OUT("thumbmenu_icon_hold.png"), MENU_HOLD);
    failures += draw_menu_icon(OUT("thumbmenu_icon_select_between.png"), MENU_SELECT);
    failures += draw_menu_icon(OUT("thumbmenu_icon_copy.png"), MENU_COPY);
    failures += draw_menu_icon(OUT("thumbmenu_icon_paste.png"), MENU_PASTE);
    failures += draw_menu_icon(OUT("thumbmenu_icon_paste_reverse.png"), MENU_PASTE_REVERSE);
    failures += draw_menu_icon(OUT("thumbmenu_icon_delete.png"), MENU_DELETE);
    failures += draw_action_sheet_panel(OUT("action-sheet-panel.png"));
    failures += draw_action_button(OUT("action-black-button.png"));
#undef OUT
    return failures == 0 ? 0 : 1;
}
