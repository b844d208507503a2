// RGB pictures kept as PNG files, for tests that compare what they draw with a reference.
#pragma once

#include <string>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;   // top row first, three bytes a pixel
};

bool ReadPng(const std::string& path, Picture& out);
bool WritePng(const std::string& path, const Picture& picture);
