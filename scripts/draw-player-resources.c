/* Draws the pictures of the movie preview player, the parental passcode
 * screen and the welcome screen with cairo. Build and run it through
 * scripts/draw-resources.sh, which writes the pictures into resources/. */
#include <cairo.h>
#include <math.h>
#include <stdio.h>

static const double accent_red = 212 / 255.0, accent_green = 3 / 255.0, accent_blue = 215 / 255.0;

static cairo_t* begin(cairo_surface_t** surface, int width, int height)
{
    *surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    return cairo_create(*surface);
}

static int finish(cairo_surface_t* surface, cairo_t* cr, const char* folder, const char* name)
{
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", folder, name);
    cairo_destroy(cr);
    cairo_status_t status = cairo_surface_write_to_png(surface, path);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        fprintf(stderr, "cannot write %s\n", path);
    return status == CAIRO_STATUS_SUCCESS ? 0 : 1;
}

static void ink(cairo_t* cr, int accent)
{
    if (accent)
        cairo_set_source_rgb(cr, accent_red, accent_green, accent_blue);
    else
        cairo_set_source_rgb(cr, 1, 1, 1);
}

/* Play (a triangle) or, selected while playing, pause (two bars); 30 x 30. */
static int draw_play_button(const char* folder, const char* name, int pause)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 30, 30);
    ink(cr, pause);
    if (pause) {
        cairo_rectangle(cr, 8, 6, 5, 18);
        cairo_rectangle(cr, 17, 6, 5, 18);
    } else {
        cairo_move_to(cr, 8, 5);
        cairo_line_to(cr, 25, 15);
        cairo_line_to(cr, 8, 25);
        cairo_close_path(cr);
    }
    cairo_fill(cr);
    return finish(surface, cr, folder, name);
}

/* Two arrows chasing each other round; in the accent colour while looping. */
static int draw_loop_button(const char* folder, const char* name, int looping)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 30, 30);
    if (looping)
        ink(cr, 1);
    else
        cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_set_line_width(cr, 2.5);
    cairo_arc(cr, 15, 15, 9, M_PI * 0.15, M_PI * 0.95);
    cairo_stroke(cr);
    cairo_arc(cr, 15, 15, 9, M_PI * 1.15, M_PI * 1.95);
    cairo_stroke(cr);
    for (int side = 0; side < 2; ++side) {
        double angle = side ? M_PI * 1.95 : M_PI * 0.95;
        double x = 15 + 9 * cos(angle), y = 15 + 9 * sin(angle);
        double dx = -sin(angle), dy = cos(angle);
        cairo_move_to(cr, x + dx * 4, y + dy * 4);
        cairo_line_to(cr, x - dy * 4, y + dx * 4);
        cairo_line_to(cr, x + dy * 4, y - dx * 4);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    return finish(surface, cr, folder, name);
}

/* A red theatre curtain, 160 x 320, with vertical folds; mirrored for the right side. */
static int draw_curtain(const char* folder, const char* name, int right)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 160, 320);
    cairo_pattern_t* folds = cairo_pattern_create_linear(0, 0, 160, 0);
    for (int i = 0; i <= 8; ++i) {
        double shade = (i % 2) ? 0.45 : 0.75;
        cairo_pattern_add_color_stop_rgb(folds, i / 8.0, shade, 0.04, 0.06);
    }
    cairo_set_source(cr, folds);
    cairo_paint(cr);
    cairo_pattern_destroy(folds);
    /* The gathered edge towards the middle of the stage. */
    cairo_pattern_t* edge = cairo_pattern_create_linear(right ? 0 : 160, 0, right ? 24 : 136, 0);
    cairo_pattern_add_color_stop_rgba(edge, 0, 0.1, 0, 0, 0.7);
    cairo_pattern_add_color_stop_rgba(edge, 1, 0.1, 0, 0, 0);
    cairo_set_source(cr, edge);
    cairo_paint(cr);
    cairo_pattern_destroy(edge);
    cairo_set_source_rgb(cr, 0.85, 0.65, 0.2);
    cairo_rectangle(cr, 0, 0, 160, 10);
    cairo_fill(cr);
    return finish(surface, cr, folder, name);
}

/* The passcode screen's header, 540 x 90: the app's colour, or red after a wrong code. */
static int draw_passcode_header(const char* folder, const char* name, int wrong)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 540, 90);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, 90);
    if (wrong) {
        cairo_pattern_add_color_stop_rgb(fill, 0, 0.85, 0.15, 0.15);
        cairo_pattern_add_color_stop_rgb(fill, 1, 0.55, 0.05, 0.05);
    } else {
        cairo_pattern_add_color_stop_rgb(fill, 0, 0.35, 0.35, 0.4);
        cairo_pattern_add_color_stop_rgb(fill, 1, 0.18, 0.18, 0.22);
    }
    cairo_set_source(cr, fill);
    cairo_paint(cr);
    cairo_pattern_destroy(fill);
    /* A padlock on the left. */
    cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
    cairo_set_line_width(cr, 4);
    cairo_arc(cr, 40, 38, 10, M_PI, 2 * M_PI);
    cairo_stroke(cr);
    cairo_rectangle(cr, 26, 38, 28, 22);
    cairo_fill(cr);
    return finish(surface, cr, folder, name);
}

/* The welcome screen's picture, 296 x 120: a strip of film with a bouncing ball. */
static int draw_welcome_hero(const char* folder)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 296, 120);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
    cairo_rectangle(cr, 4, 10, 288, 100);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    for (int i = 0; i < 18; ++i) {
        cairo_rectangle(cr, 10 + i * 16, 14, 8, 8);
        cairo_rectangle(cr, 10 + i * 16, 98, 8, 8);
    }
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    for (int frame = 0; frame < 4; ++frame) {
        double x = 12 + frame * 70;
        cairo_set_source_rgb(cr, 0.15, 0.1, 0.25);
        cairo_rectangle(cr, x, 28, 64, 64);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, accent_red, accent_green, accent_blue);
        double height = fabs(sin(frame * 0.9)) * 36;
        cairo_arc(cr, x + 32, 82 - height, 8, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    return finish(surface, cr, folder, "welcome_hero.png");
}

enum feature { feature_capture, feature_edit, feature_share };

/* A feature row's icon, 64 x 64, black on transparent: drawn as a template in the content colour. */
static int draw_feature_icon(const char* folder, const char* name, enum feature kind)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 64, 64);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 4);
    switch (kind) {
    case feature_capture:
        cairo_rectangle(cr, 6, 18, 52, 36);
        cairo_stroke(cr);
        cairo_rectangle(cr, 22, 10, 20, 8);
        cairo_fill(cr);
        cairo_arc(cr, 32, 36, 11, 0, 2 * M_PI);
        cairo_stroke(cr);
        break;
    case feature_edit:
        for (int i = 0; i < 3; ++i) {
            cairo_rectangle(cr, 6 + i * 18, 16, 14, 32);
            cairo_stroke(cr);
        }
        break;
    case feature_share:
        cairo_rectangle(cr, 14, 26, 36, 32);
        cairo_stroke(cr);
        cairo_move_to(cr, 32, 40);
        cairo_line_to(cr, 32, 6);
        cairo_stroke(cr);
        cairo_move_to(cr, 22, 16);
        cairo_line_to(cr, 32, 6);
        cairo_line_to(cr, 42, 16);
        cairo_stroke(cr);
        break;
    }
    return finish(surface, cr, folder, name);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s resources-folder\n", argv[0]);
        return 2;
    }
    const char* folder = argv[1];
    int failures = 0;
    failures += draw_play_button(folder, "movieplayer_btn_play.png", 0);
    failures += draw_play_button(folder, "movieplayer_btn_play_selected.png", 1);
    failures += draw_loop_button(folder, "movieplayer_btn_loop.png", 1);
    failures += draw_loop_button(folder, "movieplayer_btn_loop_selected.png", 0);
    failures += draw_curtain(folder, "movieplayer_curtain_left.png", 0);
    failures += draw_curtain(folder, "movieplayer_curtain_right.png", 1);
    failures += draw_passcode_header(folder, "passcodeTopBackground.png", 0);
    failures += draw_passcode_header(folder, "passcodeTopBackground_red.png", 1);
    failures += draw_welcome_hero(folder);
    failures += draw_feature_icon(folder, "welcome_icon_capture.png", feature_capture);
    failures += draw_feature_icon(folder, "welcome_icon_edit.png", feature_edit);
    failures += draw_feature_icon(folder, "welcome_icon_share.png", feature_share);
    return failures ? 1 : 0;
}
