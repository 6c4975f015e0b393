/* Draws the pictures of the coach marks (the circle round the spot and the
 * four arrows from the texts to it) and the help bubbles' "more" mark with
 * cairo. Build and run it through scripts/draw-resources.sh, which writes
 * the pictures into resources/.
 *
 * The coach mark centres each arrow picture at a fixed offset from the spot
 * (right-up (-80, 50), left-up (75, 50), right-down (-35, -75), left-down
 * (45, -75)); each arrow's tip lies where the line from the spot towards
 * that centre leaves the circle's glow, and its tail beside the texts. */
#include <cairo.h>
#include <math.h>
#include <stdio.h>

#include "draw-common.h"

/* A white ring with a soft glow, radius 36 within an 84-point square. */
static int draw_circle(const char* path)
{
    const int side = 84;
    const double middle = side / 2.0;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, side, side);
    for (int i = 4; i >= 1; --i) {
        cairo_set_source_rgba(cr, 1, 1, 1, 0.07);
        cairo_set_line_width(cr, 3 + 2.0 * i);
        cairo_arc(cr, middle, middle, 36, 0, 2 * M_PI);
        cairo_stroke(cr);
    }
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 3);
    cairo_arc(cr, middle, middle, 36, 0, 2 * M_PI);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* A gently bent white arrow from tail to tip; bend > 0 bows it to the left
 * of its way, < 0 to the right. */
static int draw_arrow(const char* path, int width, int height, double tailX, double tailY, double tipX,
    double tipY, double bend)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, width, height);
    const double dx = tipX - tailX, dy = tipY - tailY;
    const double length = sqrt(dx * dx + dy * dy);
    /* The control point sits off the middle, across the way. */
    const double controlX = tailX + dx / 2 + bend * dy / length * length * 0.18;
    const double controlY = tailY + dy / 2 - bend * dx / length * length * 0.18;
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, tailX, tailY);
    cairo_curve_to(cr, controlX, controlY, controlX, controlY, tipX, tipY);
    cairo_stroke(cr);
    /* The head follows the curve's last direction. */
    const double angle = atan2(tipY - controlY, tipX - controlX);
    const double head = 11, spread = 0.5;
    cairo_move_to(cr, tipX - head * cos(angle - spread), tipY - head * sin(angle - spread));
    cairo_line_to(cr, tipX, tipY);
    cairo_line_to(cr, tipX - head * cos(angle + spread), tipY - head * sin(angle + spread));
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* The mark at the right end of a help bubble that does more when tapped:
 * a ring with a chevron, in a strip 25 points wide and as high as a bubble. */
static int draw_more_mark(const char* path)
{
    const int width = 25, height = 40;
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, width, height);
    const double x = 11.5, y = 20;
    cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
    cairo_set_line_width(cr, 1.5);
    cairo_arc(cr, x, y, 8, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, x - 2, y - 4);
    cairo_line_to(cr, x + 2.5, y);
    cairo_line_to(cr, x - 2, y + 4);
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
    failures += draw_circle(OUT("help_circle.png"));
    /* Sizes, tails and tips in picture coordinates (see the top). */
    failures += draw_arrow(OUT("help_arrow_right_up.png"), 100, 64, 12, 54, 92.7, 5.3, -1);
    failures += draw_arrow(OUT("help_arrow_left_up.png"), 96, 64, 68, 42, 9.6, 6.4, 1);
    failures += draw_arrow(OUT("help_arrow_right_down.png"), 64, 84, 53, 6, 48.4, 77.1, 0.5);
    failures += draw_arrow(OUT("help_arrow_left_down.png"), 56, 88, 53, 14, 5.6, 81.3, -1);
    failures += draw_more_mark(OUT("frameedit_help_more.png"));
#undef OUT
    return failures == 0 ? 0 : 1;
}
