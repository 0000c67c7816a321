// Images and the image bank: names and keys, file names, sizes and handles, memory figures, fatal look-ups.
#include "toolkit/GameImage.h"
#include "toolkit/ImageBank.h"
#include "toolkit/ToolkitFixture.h"

namespace {
using ImageBankTest = ToolkitTest;

TGameImagePtr Blank(int w, int h, int frames, const std::string& name, int midHandle = 1)
{
    return TGameImage::CreateFromImage(CreateBlankImage(w, h, frames, -1), name, midHandle);
}

TEST_F(ImageBankTest, SizesHandlesAndMemoryFigures)
{
    auto picture = Blank(100, 50, 1, "mixedCase", 0);
    EXPECT_EQ(picture->name, "mixedCase");   // a wrapped image keeps its name as given
    EXPECT_EQ(picture->w, 100);
    EXPECT_EQ(picture->h, 50);
    EXPECT_EQ(picture->midHandled, 0);
    EXPECT_EQ(picture->CalcRAM(), 20000);
    EXPECT_EQ(picture->CalcVRAM(), 128 * 4 * 64);
    EXPECT_EQ(Blank(100, 50, 4, "strip")->CalcRAM(), 80000);
    EXPECT_EQ(Blank(100, 50, 4, "strip")->CalcVRAM(), 131072);

    // Odd sizes: the half size is an integer halving, the centred handle is not.
    auto odd = Blank(33, 20, 1, "odd");
    EXPECT_FLOAT_EQ(odd->w2, 16.0f);
    EXPECT_FLOAT_EQ(odd->h2, 10.0f);
    EXPECT_EQ(odd->midHandled, 1);
    EXPECT_FLOAT_EQ(odd->image->handleX, 16.5f);
    // The handle belongs to the shared image: a second wrapper moves it for the first.
    TGameImage::CreateFromImage(odd->image, "other", 0);
    EXPECT_FLOAT_EQ(odd->image->handleX, 0.0f);

    // Huge strips saturate instead of wrapping negative.
    auto huge = Blank(1, 1, 1, "huge");
    huge->image->width = 30000;
    huge->image->height = 30000;
    EXPECT_GT(huge->CalcRAM(), 0);
}

TEST_F(ImageBankTest, KeysAreCaseInsensitiveAndTotalsAreKilobytes)
{
    auto bank = TImageBank::Create("Data/Images");
    EXPECT_EQ(bank->path, "Data/Images/");
    EXPECT_EQ(bank->defaultExt, ".png");
    EXPECT_EQ(TImageBank::Create("a/")->path, "a/");
    EXPECT_EQ(TImageBank::Create("a\\")->path, "a\\");
    EXPECT_EQ(bank->CalcRAM(), 0);

    auto ring = Blank(100, 50, 1, "PARTICLERING");
    bank->Insert("PARTICLERING", ring);
    bank->Insert("SMALL", Blank(25, 50, 1, "SMALL"));
    EXPECT_EQ(bank->Find("particlering"), ring);
    EXPECT_EQ(bank->Find("ParticleRing"), ring);
    EXPECT_EQ(bank->FindTImage("particleRING"), ring->image);
    EXPECT_EQ(bank->FindTImage("missing"), nullptr);
    EXPECT_EQ(bank->CalcRAM(), 24);   // 25000 bytes, fraction dropped
    EXPECT_EQ(bank->CalcVRAM(), (32768 + 32 * 4 * 64) / 1024);
    bank->Remove("SMALL");
    EXPECT_EQ(bank->FindTImage("small"), nullptr);
    EXPECT_EQ(bank->CalcRAM(), 19);

    // Beyond ASCII as well: letters with a one-letter upper-case form take it; ß, which has none, and
    // malformed bytes stay as they are.
    auto star = Blank(4, 4, 1, "ÉTOILE");
    bank->Insert("ÉTOILE", star);
    EXPECT_EQ(bank->Find("étoile"), star);
    EXPECT_EQ(UpperCaseUtf8("σίσυφος straße ÿ \xFF"), "ΣΊΣΥΦΟΣ STRAßE Ÿ \xFF");

    EXPECT_EQ(ImageBaseName("Data/Images/fx/Ring.jpg"), "Ring");
    EXPECT_EQ(ImageBaseName("dir.v2/noext"), "noext");
    EXPECT_EQ(ImageExtension("dir.v2/noext"), "");
    EXPECT_EQ(ImageExtension("a\\b.c\\d.png"), ".png");
}

// The fatal paths: message on standard error and exit code -1 (255 as the parent sees it). The
// messages also show which file each load asked for.
TEST_F(ImageBankTest, MissingNamesAndFilesEndTheProgram)
{
    auto bank = TImageBank::Create("nowhere");
    EXPECT_EXIT({ RestoreRealProgramExit(); bank->Find("Explosion"); },
                ::testing::ExitedWithCode(255), "Image 'EXPLOSION' was not found in the ImageBank");
    EXPECT_EXIT({ RestoreRealProgramExit(); bank->Load("explosion", "", -1, 1); },
                ::testing::ExitedWithCode(255), "Error loading image nowhere/explosion\\.png");
    EXPECT_EXIT({ RestoreRealProgramExit(); bank->Load("explosion.png", "", -1, 1); },
                ::testing::ExitedWithCode(255), "Error loading image nowhere/explosion\\.png");
    EXPECT_EXIT({ RestoreRealProgramExit(); bank->Load("fx/ring.jpg", "glow", -1, 0); },
                ::testing::ExitedWithCode(255), "Error loading image nowhere/fx/ring\\.jpg");
    EXPECT_EXIT({ RestoreRealProgramExit(); bank->LoadAnim("strip.png", 8, 8, 0, 4, -1, 1); },
                ::testing::ExitedWithCode(255), "Error loading anim image nowhere/strip\\.png\\.png");
}

TEST_F(ImageBankTest, LoadsTheGameImagesFromDisk)
{
    if (!LoadImageFile("Data/Images/explosion.png", -1)) GTEST_SKIP() << "no image loader yet";
    auto bank = TImageBank::Create("Data/Images/");
    auto a = bank->Load("explosion", "", -1, 1);
    auto b = bank->Load("explosion.png", "", -1, 1);
    EXPECT_EQ(a->name, "EXPLOSION");
    EXPECT_EQ(bank->Find("explosion"), b);   // the second load replaced the first
    EXPECT_EQ(a->w, b->w);
    EXPECT_GT(a->w, 0);
    EXPECT_EQ(a->midHandled, 1);
    EXPECT_FLOAT_EQ(a->image->handleX, a->w / 2.0f);

    auto glow = bank->LoadNoMidHandle("particlering.png", "glow", -1);
    EXPECT_EQ(glow->name, "GLOW");
    EXPECT_EQ(bank->Find("Glow"), glow);
    EXPECT_EQ(glow->midHandled, 0);
    EXPECT_EQ(bank->Count(), 2);

    // One cell of a strip is the whole picture as a single frame, whatever the cell size.
    auto single = TGameImage::CreateAuto("Data/Images/particlering.png", 3, 3, 0, 1, -1, 0);
    EXPECT_EQ(single->image->FrameCount(), 1);
    EXPECT_EQ(single->w, glow->w);
    EXPECT_EQ(single->name, "PARTICLERING");
}
}
