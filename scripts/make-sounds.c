/* Makes the app's sound resources: the camera's shutter, the interval
 * timer's beep and the strip's crumple after a delete. Build and run it
 * through scripts/make-sounds.sh, which writes them into resources/. The
 * noise comes from a fixed seed, so the files are the same on every run. */
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define RATE 44100

static uint32_t noise_state = 0x2545F491u;

/* A uniform value in [-1, 1). */
static double noise(void)
{
    noise_state ^= noise_state << 13;
    noise_state ^= noise_state >> 17;
    noise_state ^= noise_state << 5;
    return (double)noise_state / 2147483648.0 - 1.0;
}

static int16_t to_sample(double value)
{
    if (value > 1.0)
        value = 1.0;
    if (value < -1.0)
        value = -1.0;
    return (int16_t)lrint(value * 32767.0);
}

static void put_le(FILE* file, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        fputc((int)((value >> (8 * i)) & 0xff), file);
}

static void put_be(FILE* file, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        fputc((int)((value >> (8 * i)) & 0xff), file);
}

static int write_wav(const char* path, const int16_t* samples, uint32_t frames)
{
    FILE* file = fopen(path, "wb");
    if (!file)
        return 1;
    uint32_t data = frames * 2;
    fputs("RIFF", file);
    put_le(file, 36 + data, 4);
    fputs("WAVEfmt ", file);
    put_le(file, 16, 4);
    put_le(file, 1, 2); /* PCM */
    put_le(file, 1, 2); /* mono */
    put_le(file, RATE, 4);
    put_le(file, RATE * 2, 4);
    put_le(file, 2, 2);
    put_le(file, 16, 2);
    fputs("data", file);
    put_le(file, data, 4);
    for (uint32_t i = 0; i < frames; ++i)
        put_le(file, (uint16_t)samples[i], 2);
    return fclose(file) != 0;
}

/* The sample rate as the 80-bit extended number AIFF keeps it in. */
static void put_extended_rate(FILE* file, uint32_t rate)
{
    int exponent = 31;
    while (!(rate & 0x80000000u)) {
        rate <<= 1;
        --exponent;
    }
    put_be(file, (uint32_t)(16383 + exponent), 2);
    put_be(file, rate, 4);
    put_be(file, 0, 4);
}

static int write_aiff(const char* path, const int16_t* samples, uint32_t frames)
{
    FILE* file = fopen(path, "wb");
    if (!file)
        return 1;
    uint32_t data = frames * 2;
    fputs("FORM", file);
    put_be(file, 4 + 26 + 16 + data, 4);
    fputs("AIFFCOMM", file);
    put_be(file, 18, 4);
    put_be(file, 1, 2); /* mono */
    put_be(file, frames, 4);
    put_be(file, 16, 2);
    put_extended_rate(file, RATE);
    fputs("SSND", file);
    put_be(file, 8 + data, 4);
    put_be(file, 0, 4); /* offset */
    put_be(file, 0, 4); /* block size */
    for (uint32_t i = 0; i < frames; ++i)
        put_be(file, (uint16_t)samples[i], 2);
    return fclose(file) != 0;
}

/* A click of the shutter: a burst of noise ringing at a body resonance. */
static void add_click(double* sound, uint32_t frames, double at, double level, double ring)
{
    double low = 0, band = 0;
    uint32_t first = (uint32_t)(at * RATE);
    for (uint32_t i = first; i < frames; ++i) {
        double t = (double)(i - first) / RATE;
        double envelope = level * exp(-t * 55.0);
        /* A state-variable filter turns the noise into a knock around ring Hz. */
        double f = 2.0 * sin(M_PI * ring / RATE);
        double input = noise() * envelope;
        low += f * band;
        double high = input - low - 0.35 * band;
        band += f * high;
        sound[i] += band * 1.6 + input * 0.25;
    }
}

static int make_shutter(const char* path)
{
    const uint32_t frames = (uint32_t)(0.32 * RATE);
    double* sound = calloc(frames, sizeof(double));
    int16_t* samples = malloc(frames * sizeof(int16_t));
    if (!sound || !samples)
        return 1;
    add_click(sound, frames, 0.0, 0.9, 2400);
    add_click(sound, frames, 0.11, 0.7, 1700);
    for (uint32_t i = 0; i < frames; ++i)
        samples[i] = to_sample(sound[i] * 0.55);
    int failed = write_wav(path, samples, frames);
    free(sound);
    free(samples);
    return failed;
}

static int make_beep(const char* path)
{
    const uint32_t frames = (uint32_t)(0.18 * RATE);
    const uint32_t fade = RATE / 200; /* 5 ms, so the beep does not click */
    int16_t* samples = malloc(frames * sizeof(int16_t));
    if (!samples)
        return 1;
    for (uint32_t i = 0; i < frames; ++i) {
        double gain = 0.6;
        if (i < fade)
            gain *= (double)i / fade;
        if (frames - i < fade)
            gain *= (double)(frames - i) / fade;
        double t = (double)i / RATE;
        samples[i] = to_sample(gain * (sin(2 * M_PI * 1000 * t) + 0.15 * sin(2 * M_PI * 2000 * t)) / 1.15);
    }
    int failed = write_aiff(path, samples, frames);
    free(samples);
    return failed;
}

/* Paper crumpled into the bin: crackles of noise that thin out. */
static int make_crumple(const char* path)
{
    const uint32_t frames = (uint32_t)(0.55 * RATE);
    int16_t* samples = malloc(frames * sizeof(int16_t));
    if (!samples)
        return 1;
    double crackle = 0, smooth = 0;
    for (uint32_t i = 0; i < frames; ++i) {
        double t = (double)i / RATE;
        double density = 0.012 * exp(-t * 4.0);
        if ((noise() + 1.0) / 2.0 < density)
            crackle = 0.5 + 0.5 * fabs(noise());
        crackle *= 0.9965;
        double rustle = noise() * (0.08 * exp(-t * 3.0));
        double value = noise() * crackle + rustle;
        smooth += 0.55 * (value - smooth); /* soften the hiss */
        samples[i] = to_sample(smooth * 0.9);
    }
    int failed = write_aiff(path, samples, frames);
    free(samples);
    return failed;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make-sounds RESOURCES\n");
        return 2;
    }
    char path[4096];
    int failed = 0;
    snprintf(path, sizeof path, "%s/camera3.wav", argv[1]);
    failed |= make_shutter(path);
    snprintf(path, sizeof path, "%s/beep.aiff", argv[1]);
    failed |= make_beep(path);
    snprintf(path, sizeof path, "%s/trash.aiff", argv[1]);
    failed |= make_crumple(path);
    if (failed)
        fprintf(stderr, "make-sounds: cannot write into %s\n", argv[1]);
    return failed;
}
