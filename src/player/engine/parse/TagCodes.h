#pragma once
// Tag codes the engine reads.

namespace quillon::engine::tags {

enum : int {
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    FreeCharacter = 3,
    PlaceObject = 4,
    RemoveObject = 5,
    DefineBits = 6,
    DefineButton = 7,
    JpegTables = 8,
    SetBackgroundColor = 9,
    DefineFont = 10,
    DefineText = 11,
    DoAction = 12,
    DefineFontInfo = 13,
    DefineBitsLossless = 20,
    DefineBitsJpeg2 = 21,
    DefineShape2 = 22,
    PlaceObject2 = 26,
    RemoveObject2 = 28,
    DefineShape3 = 32,
    DefineText2 = 33,
    DefineButton2 = 34,
    DefineBitsJpeg3 = 35,
    DefineBitsLossless2 = 36,
    DefineEditText = 37,
    DefineSprite = 39,
    FrameLabel = 43,
    DefineMorphShape = 46,
    DefineFont2 = 48,
    ExportAssets = 56,
    DoInitAction = 59,
    DefineVideoStream = 60,
    VideoFrame = 61,
    DefineFontInfo2 = 62,
    PlaceObject3 = 70,
    DefineFont3 = 75,
    DefineShape4 = 83,
    DefineMorphShape2 = 84,
    DefineBitsJpeg4 = 90,
};

} // namespace quillon::engine::tags
