// Times writing a personalised copy of festling.exe (open and map it, replace
// the message, write the new file) against a plain copy of the same file,
// and prints the figures and their ratio.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "personalise/exe_image.h"
#include "personalise/exe_writer.h"
#include "personalise/personalise_copy.h"

namespace {

double Now()
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class CCountingSink : public CByteSink {
public:
    bool Put(const void*, uint32_t count) override
    {
        bytes += count;
        return true;
    }
    uint64_t bytes = 0;
};

const char kMessage[] = "Season's greetings\r\nfrom the benchmark";

} // namespace

int main(int argc, char** argv)
{
    const char* exe = argc > 1 ? argv[1] : "festling.exe";
    char folder[MAX_PATH], copy[MAX_PATH], personalised[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    snprintf(copy, sizeof copy, "%sbench_copy.exe", folder);
    snprintf(personalised, sizeof personalised, "%sbench_personalised.exe", folder);

    CExeImage probe;
    if (!probe.Open(exe)) {
        fprintf(stderr, "cannot open %s as the program\n", exe);
        return 1;
    }
    uint32_t size = probe.viewSize;

    const int rounds = 60;
    std::vector<double> plain, written, inMemory;
    for (int i = 0; i < rounds; ++i) {
        double start = Now();
        if (!CopyFileA(exe, copy, FALSE)) {
            fprintf(stderr, "plain copy failed\n");
            return 1;
        }
        plain.push_back(Now() - start);

        start = Now();
        CExeImage* image = new CExeImage;
        bool ok = image->Open(exe);
        image->ReplaceResourceData("MSGTEXT", MAKEINTRESOURCEA(101), reinterpret_cast<const uint8_t*>(kMessage),
                                   sizeof kMessage - 1);
        ok = ok && WriteImageToFile(image, personalised);
        delete image;
        written.push_back(Now() - start);
        if (!ok) {
            fprintf(stderr, "personalised copy failed\n");
            return 1;
        }

        CCountingSink sink;
        probe.ReplaceResourceData("MSGTEXT", MAKEINTRESOURCEA(101), reinterpret_cast<const uint8_t*>(kMessage),
                                  sizeof kMessage - 1);
        start = Now();
        WriteExecutable(&probe, &sink);
        inMemory.push_back(Now() - start);
    }
    DeleteFileA(copy);
    DeleteFileA(personalised);

    double plainMs = Median(plain), writtenMs = Median(written), memoryMs = Median(inMemory);
    printf("festling.exe: %u bytes, %d rounds, medians\n", size, rounds);
    printf("  plain copy (CopyFileA)                     %8.3f ms\n", plainMs);
    printf("  personalised copy (open, replace, write)   %8.3f ms\n", writtenMs);
    printf("  writer walk alone, bytes counted not kept  %8.3f ms\n", memoryMs);
    printf("  ratio personalised / plain                 %8.2f\n", writtenMs / plainMs);
    return 0;
}
