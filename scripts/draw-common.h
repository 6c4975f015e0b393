/* Cairo helpers shared by the resource-drawing programs. */
#pragma once
#include <cairo.h>
#include <math.h>
#include <stdio.h>

/* An ARGB surface of width x height and a context drawing on it. */
static inline cairo_t* begin(cairo_surface_t** surface, int width, int height)
{
    *surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    return cairo_create(*surface);
}

/* Writes the surface to path as PNG and frees both; 0 when written. */
static inline int finish(cairo_surface_t* surface, cairo_t* cr, const char* path)
{
    cairo_destroy(cr);
    cairo_status_t status = cairo_surface_write_to_png(surface, path);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        fprintf(stderr, "cannot write %s\n", path);
    return status == CAIRO_STATUS_SUCCESS ? 0 : 1;
}

static inline void rounded_rectangle(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}
