/* A C program built against an installed libtavik: decodes a movie, converts every frame to
 * RGBA and prints the frame count, the sound bytes and a checksum of the pixels. */
#include <stdio.h>
#include <stdlib.h>
#include <tavik/tavik.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: consumer MOVIE\n");
        return 2;
    }
    TavikDecoder* decoder = NULL;
    TavikStatus status = TavikDecoderOpenFile(argv[1], &decoder);
    if (status != TavikOk) {
        fprintf(stderr, "consumer: %s\n", TavikStatusText(status));
        return 1;
    }
    const TavikInfo* info = TavikDecoderGetInfo(decoder);
    unsigned char* rgba = malloc((size_t)info->Width * info->Height * 4);
    unsigned long sum = 0, sound = 0, frames = 0;
    TavikFrame frame;
    while ((status = TavikDecoderNext(decoder, &frame)) == TavikOk) {
        TavikConvertFrame(&frame, info, TavikRGBA32, rgba, (ptrdiff_t)info->Width * 4);
        for (size_t i = 0; i < (size_t)info->Width * info->Height * 4; ++i)
            sum = sum * 31 + rgba[i];
        for (int t = 0; t < 7; ++t) sound += frame.SoundBytes[t];
        ++frames;
    }
    printf("%lu frames, %lu sound bytes, checksum %08lx\n", frames, sound, sum & 0xffffffffUL);
    free(rgba);
    TavikDecoderClose(decoder);
    return status == TavikEndOfMovie && frames == info->FrameCount ? 0 : 1;
}
