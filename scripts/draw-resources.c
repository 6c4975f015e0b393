/* Draws the app's picture resources with cairo. Build and run it through
 * scripts/draw-resources.sh, which writes the pictures into resources/. */
#include <cairo.h>
#include <math.h>
#include <stdio.h>

static void rounded_rectangle(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

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

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s RESOURCES-FOLDER\n", argv[0]);
        return 2;
    }
    char path[4096];
    snprintf(path, sizeof path, "%s/thumb_camera.png", argv[1]);
    if (draw_thumb_camera(path) != 0)
        return 1;
    snprintf(path, sizeof path, "%s/explorer_placeholder.png", argv[1]);
    return draw_explorer_placeholder(path);
}
