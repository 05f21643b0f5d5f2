// The picture libraries link and report the versions the build expects.
#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <string>

TEST(Dependencies, PictureLibrariesLinkAndReportTheirVersions) {
    jpeg_error_mgr errors{};
    EXPECT_EQ(jpeg_std_error(&errors), &errors);
    EXPECT_GE(JPEG_LIB_VERSION, 62);
    EXPECT_EQ(std::string(png_get_libpng_ver(nullptr)).substr(0, 3), "1.6");
    EXPECT_EQ(std::string(zlibVersion()).substr(0, 2), "1.");
}
