/* Draws the frame editor's pictures with cairo: the toolbar's icons and the
 * single-frame edit icons, white shapes on transparent. Build and run it
 * through scripts/draw-resources.sh, which writes them into resources/. */
#include <cairo.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "draw-common.h"

enum icon {
    ICON_PROJECTS,
    ICON_VOICE,
    ICON_MEDIA,
    ICON_LOOK,
    ICON_CAMERA,
    ICON_PLAY,
    ICON_STOP,
    ICON_OPTIONS,
    ICON_HELP,
    ICON_FIRST,
    ICON_CAPTURE_FRAME,
    ICON_CROP,
    ICON_PAINT,
    ICON_MASK,
    ICON_MERGE,
};

static void triangle(cairo_t* cr, double x1, double y1, double x2, double y2, double x3, double y3)
{
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_line_to(cr, x3, y3);
    cairo_close_path(cr);
    cairo_fill(cr);
}

/* Every shape is drawn in a 28-unit square scaled to the picture. */
static void draw_shape(cairo_t* cr, enum icon kind)
{
    switch (kind) {
    case ICON_PROJECTS:
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column) {
                rounded_rectangle(cr, 4 + column * 11, 4 + row * 11, 9, 9, 2);
                cairo_fill(cr);
            }
        break;
    case ICON_VOICE:
        rounded_rectangle(cr, 10, 3, 8, 14, 4);
        cairo_fill(cr);
        cairo_arc(cr, 14, 12, 8, 0, M_PI);
        cairo_stroke(cr);
        cairo_move_to(cr, 14, 20);
        cairo_line_to(cr, 14, 25);
        cairo_move_to(cr, 9, 25);
        cairo_line_to(cr, 19, 25);
        cairo_stroke(cr);
        break;
    case ICON_MEDIA:
        /* A note with a plus. */
        cairo_arc(cr, 8, 20, 4, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_move_to(cr, 11.5, 20);
        cairo_line_to(cr, 11.5, 5);
        cairo_line_to(cr, 17, 8);
        cairo_stroke(cr);
        cairo_move_to(cr, 21, 14);
        cairo_line_to(cr, 21, 24);
        cairo_move_to(cr, 16, 19);
        cairo_line_to(cr, 26, 19);
        cairo_stroke(cr);
        break;
    case ICON_LOOK:
        /* A star over a strip of film. */
        for (int i = 0; i < 10; ++i) {
            double angle = -M_PI / 2 + i * M_PI / 5;
            double radius = i % 2 == 0 ? 9 : 4;
            double x = 14 + radius * cos(angle), y = 12 + radius * sin(angle);
            if (i == 0)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
        }
        cairo_close_path(cr);
        cairo_fill(cr);
        rounded_rectangle(cr, 3, 22, 22, 4, 1);
        cairo_fill(cr);
        break;
    case ICON_CAMERA:
        rounded_rectangle(cr, 3, 8, 22, 15, 3);
        cairo_stroke(cr);
        cairo_move_to(cr, 10, 8);
        cairo_line_to(cr, 12, 5);
        cairo_line_to(cr, 16, 5);
        cairo_line_to(cr, 18, 8);
        cairo_stroke(cr);
        cairo_arc(cr, 14, 15.5, 4, 0, 2 * M_PI);
        cairo_fill(cr);
        break;
    case ICON_PLAY:
        triangle(cr, 8, 5, 8, 23, 23, 14);
        break;
    case ICON_STOP:
        rounded_rectangle(cr, 7, 7, 14, 14, 2);
        cairo_fill(cr);
        break;
    case ICON_OPTIONS:
        for (int i = 0; i < 3; ++i) {
            double y = 7 + i * 7;
            cairo_move_to(cr, 4, y);
            cairo_line_to(cr, 24, y);
            cairo_stroke(cr);
            cairo_arc(cr, i == 1 ? 18 : 10, y, 2.8, 0, 2 * M_PI);
            cairo_fill(cr);
        }
        break;
    case ICON_HELP:
        cairo_arc(cr, 14, 14, 11, 0, 2 * M_PI);
        cairo_stroke(cr);
        cairo_arc(cr, 14, 11, 4, M_PI, 2.2 * M_PI);
        cairo_stroke(cr);
        cairo_move_to(cr, 14, 15.5);
        cairo_line_to(cr, 14, 17.5);
        cairo_stroke(cr);
        cairo_arc(cr, 14, 21, 1.4, 0, 2 * M_PI);
        cairo_fill(cr);
        break;
    case ICON_FIRST:
        rounded_rectangle(cr, 5, 6, 3, 16, 1);
        cairo_fill(cr);
        triangle(cr, 23, 6, 23, 22, 10, 14);
        break;
    case ICON_CAPTURE_FRAME:
        triangle(cr, 5, 6, 5, 22, 18, 14);
        cairo_arc(cr, 22, 14, 3.5, 0, 2 * M_PI);
        cairo_fill(cr);
        break;
    case ICON_CROP:
        cairo_move_to(cr, 8, 3);
        cairo_line_to(cr, 8, 20);
        cairo_line_to(cr, 25, 20);
        cairo_move_to(cr, 3, 8);
        cairo_line_to(cr, 20, 8);
        cairo_line_to(cr, 20, 25);
        cairo_stroke(cr);
        break;
    case ICON_PAINT:
        cairo_move_to(cr, 24, 4);
        cairo_line_to(cr, 12, 16);
        cairo_stroke(cr);
        cairo_arc(cr, 9, 19, 4.5, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_move_to(cr, 5, 22);
        cairo_curve_to(cr, 4, 25, 3, 26, 2, 26);
        cairo_stroke(cr);
        break;
    case ICON_MASK:
        cairo_arc(cr, 14, 14, 10, 0, 2 * M_PI);
        cairo_stroke(cr);
        cairo_arc(cr, 14, 14, 10, M_PI / 2, 3 * M_PI / 2);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    case ICON_MERGE:
        cairo_save(cr);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.45);
        rounded_rectangle(cr, 3, 3, 15, 12, 2);
        cairo_fill(cr);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.7);
        rounded_rectangle(cr, 7, 8, 15, 12, 2);
        cairo_fill(cr);
        cairo_restore(cr);
        rounded_rectangle(cr, 11, 13, 15, 12, 2);
        cairo_fill(cr);
        break;
    }
}

static int draw_icon(const char* path, enum icon kind, int size)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, size / 28.0, size / 28.0);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    draw_shape(cr, kind);
    cairo_destroy(cr);
    cairo_status_t status = cairo_surface_write_to_png(surface, path);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        fprintf(stderr, "draw-editor-resources: cannot write %s\n", path);
    return status == CAIRO_STATUS_SUCCESS ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: draw-editor-resources RESOURCES\n");
        return 2;
    }
    static const struct {
        const char* name;
        enum icon kind;
        int size;
    } icons[] = {
        {"frameedit_btn_projects.png", ICON_PROJECTS, 30},
        {"frameedit_btn_voice.png", ICON_VOICE, 30},
        {"frameedit_btn_media.png", ICON_MEDIA, 30},
        {"frameedit_btn_look.png", ICON_LOOK, 30},
        {"frameedit_btn_camera.png", ICON_CAMERA, 30},
        {"frameedit_btn_play.png", ICON_PLAY, 30},
        {"frameedit_btn_stop.png", ICON_STOP, 30},
        {"frameedit_btn_options.png", ICON_OPTIONS, 30},
        {"frameedit_btn_help.png", ICON_HELP, 30},
        {"frameedit_btn_first.png", ICON_FIRST, 24},
        {"frameedit_btn_capture_frame.png", ICON_CAPTURE_FRAME, 24},
        {"frameedit_icon_crop.png", ICON_CROP, 36},
        {"frameedit_icon_paint.png", ICON_PAINT, 36},
        {"frameedit_icon_mask.png", ICON_MASK, 36},
        {"frameedit_icon_merge.png", ICON_MERGE, 36},
    };
    int failures = 0;
    char path[4096];
    for (size_t i = 0; i < sizeof icons / sizeof icons[0]; ++i) {
        snprintf(path, sizeof path, "%s/%s", argv[1], icons[i].name);
        failures += draw_icon(path, icons[i].kind, icons[i].size);
    }
    return failures == 0 ? 0 : 1;
}
