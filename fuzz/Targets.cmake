# The fuzz targets, one per line: short name, source file in fuzz/, library it exercises.
# fuzz/CMakeLists.txt builds them for libFuzzer; tests/fuzz replays their kept inputs.
set(QUILLON_FUZZ_TARGETS
    "header HeaderFuzz.cpp quillon_codec"
    "decompress DecompressFuzz.cpp quillon_codec"
    "transforms TransformsFuzz.cpp quillon_codec"
    "verify VerifyFuzz.cpp quillon_codec"
    "ini IniFuzz.cpp quillon_settings"
    "engine EngineFuzz.cpp quillon_engine"
    "script ScriptFuzz.cpp quillon_engine"
    "avm2 Avm2Fuzz.cpp quillon_avm2"
    "flv FlvFuzz.cpp quillon_video")
