/* Draws the pictures of the voice-over recorder, the clip editor and the
 * trim control's bundle with cairo. Build and run it through
 * scripts/draw-resources.sh, which writes the pictures into resources/. */
#include <cairo.h>
#include <math.h>
#include <stdio.h>
#include <sys/stat.h>

#include "draw-common.h"

static const double accent_red = 212 / 255.0, accent_green = 3 / 255.0, accent_blue = 215 / 255.0;

/* A trim handle, 25 x 75: a light grip bar with three ridges in its middle. */
static int draw_trim_handle(const char* path)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 25, 75);
    cairo_pattern_t* shade = cairo_pattern_create_linear(7, 0, 18, 0);
    cairo_pattern_add_color_stop_rgb(shade, 0, 0.97, 0.97, 0.97);
    cairo_pattern_add_color_stop_rgb(shade, 1, 0.74, 0.74, 0.76);
    rounded_rectangle(cr, 7.5, 1.5, 10, 72, 4);
    cairo_set_source(cr, shade);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(shade);
    cairo_set_source_rgb(cr, 0.25, 0.25, 0.27);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, accent_red, accent_green, accent_blue);
    cairo_set_line_width(cr, 1.5);
    for (int ridge = -1; ridge <= 1; ++ridge) {
        cairo_move_to(cr, 10, 37.5 + 5 * ridge);
        cairo_line_to(cr, 15, 37.5 + 5 * ridge);
    }
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* A track, 11 x 9, stretched between its rounded ends. */
static int draw_trim_track(const char* path, int selected)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 11, 9);
    rounded_rectangle(cr, 0.5, 0.5, 10, 8, 4);
    if (selected)
        cairo_set_source_rgb(cr, accent_red, accent_green, accent_blue);
    else
        cairo_set_source_rgb(cr, 0.22, 0.22, 0.24);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, selected ? 0.45 : 0.2);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    return finish(surface, cr, path);
}

/* The band between the handles, a tile 8 x 50: a light wash of the accent
 * with a firm edge at top and bottom. */
static int draw_trim_band(const char* path)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 8, 50);
    cairo_set_source_rgba(cr, accent_red, accent_green, accent_blue, 0.22);
    cairo_paint(cr);
    cairo_set_source_rgba(cr, accent_red, accent_green, accent_blue, 0.9);
    cairo_rectangle(cr, 0, 0, 8, 2);
    cairo_rectangle(cr, 0, 48, 8, 2);
    cairo_fill(cr);
    return finish(surface, cr, path);
}

/* The level slider's knob, 24 x 24. */
static int draw_level_knob(const char* path)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 24, 24);
    cairo_arc(cr, 12, 12, 10.5, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.96, 0.96, 0.96);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_arc(cr, 12, 12, 4, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, accent_red, accent_green, accent_blue);
    cairo_fill(cr);
    return finish(surface, cr, path);
}

/* Behind a waveform, a tile 20 x 20: dark with a faint grid. */
static int draw_wave_background(const char* path)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 20, 20);
    cairo_set_source_rgb(cr, 0.12, 0.12, 0.13);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.19, 0.19, 0.21);
    cairo_rectangle(cr, 0, 0, 20, 1);
    cairo_rectangle(cr, 0, 0, 1, 20);
    cairo_fill(cr);
    return finish(surface, cr, path);
}

/* Closes a panel, 30 x 30: a white chevron pointing down. */
static int draw_close_button(const char* path)
{
    cairo_surface_t* surface;
    cairo_t* cr = begin(&surface, 30, 30);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, 7, 11);
    cairo_line_to(cr, 15, 19);
    cairo_line_to(cr, 23, 11);
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
    mkdir(OUT("QVTrimControl.bundle"), 0755);
    failures += draw_trim_handle(OUT("QVTrimControl.bundle/Slider.png"));
    failures += draw_trim_track(OUT("QVTrimControl.bundle/Outer.png"), 0);
    failures += draw_trim_track(OUT("QVTrimControl.bundle/Inner.png"), 1);
    failures += draw_trim_band(OUT("QVTrimControl.bundle/SliderMiddle.png"));
    failures += draw_level_knob(OUT("edit_record_db_knop.png"));
    failures += draw_wave_background(OUT("audiowave_bg.png"));
    failures += draw_close_button(OUT("theme_view_btn_close.png"));
#undef OUT
    return failures == 0 ? 0 : 1;
}
