// The flash.filters settings both interpreters share: defaults, the player's limits in
// each dialect, and the round trip through the engine's filter record.

#include "player/engine/script/common/FilterSettings.h"

#include "player/engine/script/common/GeomMath.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace quillon::engine;

namespace {

double Number(const FilterSettings& f, const char* name) {
    const auto v = GetFilterField(f, name);
    return v ? std::get<double>(*v) : std::nan("");
}

} // namespace

TEST(FilterSettings, ClassesStartWithThePlayersDefaults) {
    struct Case {
        FilterClass cls;
        const char* field;
        double value;
    };
    const Case cases[] = {
        {FilterClass::Blur, "blurX", 4},        {FilterClass::Blur, "quality", 1},
        {FilterClass::Glow, "color", 0xff0000}, {FilterClass::Glow, "blurX", 6},
        {FilterClass::Glow, "strength", 2},     {FilterClass::DropShadow, "distance", 4},
        {FilterClass::DropShadow, "angle", 45}, {FilterClass::Bevel, "highlightColor", 0xffffff},
        {FilterClass::Bevel, "shadowAlpha", 1}, {FilterClass::Convolution, "divisor", 1},
        {FilterClass::Convolution, "alpha", 0}, {FilterClass::DisplacementMap, "scaleX", 0},
    };
    for (const Case& c : cases) {
        const FilterSettings f = DefaultFilter(c.cls, FilterDialect::Avm2);
        EXPECT_EQ(Number(f, c.field), c.value) << FilterClassName(c.cls) << "." << c.field;
    }
    const auto matrix =
        GetFilterField(DefaultFilter(FilterClass::ColorMatrix, FilterDialect::Avm2), "matrix");
    ASSERT_TRUE(matrix);
    const auto& m = std::get<std::vector<double>>(*matrix);
    ASSERT_EQ(m.size(), 20u);
    EXPECT_EQ(m[0] + m[6] + m[12] + m[18], 4);
    // the older dialect starts from the player's stored quarter turn
    EXPECT_NEAR(Number(DefaultFilter(FilterClass::DropShadow, FilterDialect::Avm1), "angle"),
                44.9999999772279, 1e-12);
    EXPECT_FALSE(GetFilterField(DefaultFilter(FilterClass::Blur, FilterDialect::Avm2), "angle"));
}

TEST(FilterSettings, ActionScript2HoldsValuesAsTheyAreSet) {
    struct Case {
        FilterClass cls;
        const char* field;
        FilterValue in;
        FilterValue out;
    };
    const Case cases[] = {
        {FilterClass::Bevel, "angle", 361.0, 1.0},
        {FilterClass::Bevel, "angle", -1.0, -1.0},
        {FilterClass::Bevel, "highlightAlpha", 0.5, 127.0 / 255},
        {FilterClass::Bevel, "highlightAlpha", 1.5, 1.0},
        {FilterClass::Bevel, "shadowColor", -305419896.0, 13347208.0},
        {FilterClass::Bevel, "highlightColor", 16777471.0, 255.0},
        {FilterClass::Bevel, "quality", 2.5, 2.0},
        {FilterClass::Bevel, "quality", 100.0, 15.0},
        {FilterClass::Bevel, "strength", 256.0, 255.0},
        {FilterClass::Bevel, "strength", -1.0, 0.0},
        {FilterClass::Blur, "blurX", 100.5, 100.5},
        {FilterClass::Blur, "blurY", 256.0, 255.0},
        {FilterClass::Bevel, "type", std::string("INNER"), std::string("full")},
        {FilterClass::Bevel, "type", std::string("outer"), std::string("outer")},
        {FilterClass::DisplacementMap, "componentX", -234.5, -234.0},
        {FilterClass::DisplacementMap, "scaleY", 65536.0, 65535.0},
        {FilterClass::DisplacementMap, "mode", std::string("Color"), std::string("wrap")},
        {FilterClass::DisplacementMap, "mapPoint", std::vector<double>{12.5, -4200},
         std::vector<double>{12, -4200}},
        {FilterClass::Convolution, "preserveAlpha", 0.0, false},
    };
    for (const Case& c : cases) {
        FilterSettings f = DefaultFilter(c.cls, FilterDialect::Avm1);
        ASSERT_TRUE(SetFilterField(f, c.field, c.in, FilterDialect::Avm1)) << c.field;
        const auto got = GetFilterField(f, c.field);
        ASSERT_TRUE(got);
        if (const double* d = std::get_if<double>(&c.out)) {
            EXPECT_NEAR(std::get<double>(*got), *d, 1e-9) << c.field;
        } else {
            EXPECT_EQ(*got, c.out) << c.field;
        }
    }
    FilterSettings blur = DefaultFilter(FilterClass::Blur, FilterDialect::Avm1);
    EXPECT_FALSE(SetFilterField(blur, "distance", 3.0, FilterDialect::Avm1));
}

TEST(FilterSettings, KernelsAndColourMatricesKeepTheirSizes) {
    FilterSettings kernel = DefaultFilter(FilterClass::Convolution, FilterDialect::Avm1);
    SetFilterField(kernel, "matrix", std::vector<double>{-1000.5}, FilterDialect::Avm1);
    SetFilterField(kernel, "matrixX", 2.0, FilterDialect::Avm1);
    SetFilterField(kernel, "matrixY", 2.0, FilterDialect::Avm1);
    EXPECT_EQ(kernel.matrix, (std::vector<double>{-1000.5, 0, 0, 0}));
    SetFilterField(kernel, "matrixX", -100.0, FilterDialect::Avm1);
    EXPECT_EQ(kernel.matrixX, 0);
    EXPECT_EQ(kernel.matrix.size(), 4u); // a smaller size keeps the kernel

    FilterSettings colors = DefaultFilter(FilterClass::ColorMatrix, FilterDialect::Avm1);
    SetFilterField(colors, "matrix", std::vector<double>{1.5}, FilterDialect::Avm1);
    ASSERT_EQ(colors.matrix.size(), 20u);
    EXPECT_EQ(colors.matrix[0], 1.5);
    EXPECT_TRUE(std::isnan(colors.matrix[19]));
}

TEST(FilterSettings, ActionScript3ValuesAreHeldWhenTheyBecomeARecord) {
    FilterSettings f = DefaultFilter(FilterClass::DropShadow, FilterDialect::Avm2);
    SetFilterField(f, "distance", -3.2, FilterDialect::Avm2);
    SetFilterField(f, "angle", 51.23, FilterDialect::Avm2);
    SetFilterField(f, "color", double(0xABCDEF), FilterDialect::Avm2);
    SetFilterField(f, "alpha", 0.2, FilterDialect::Avm2);
    SetFilterField(f, "blurX", -1.0, FilterDialect::Avm2);
    SetFilterField(f, "strength", 1.2, FilterDialect::Avm2);
    SetFilterField(f, "hideObject", true, FilterDialect::Avm2);
    EXPECT_EQ(f.blurX, -1); // kept as set until it goes onto an object
    const Filter record = ToFilterRecord(f);
    EXPECT_EQ(record.kind, FilterKind::DropShadow);
    EXPECT_FALSE(record.compositeSource);
    const FilterSettings back = FromFilterRecord(record);
    EXPECT_EQ(back.cls, FilterClass::DropShadow);
    EXPECT_EQ(back.distance, -3.2);
    EXPECT_EQ(back.angle, 51.23);
    EXPECT_EQ(back.color, 0xABCDEF);
    EXPECT_NEAR(back.alpha, 0.2, 1e-4);
    EXPECT_EQ(back.blurX, 0);
    EXPECT_EQ(back.strength, 1.19921875); // 8.8 fixed point
    EXPECT_TRUE(back.hideObject);

    FilterSettings bevel = DefaultFilter(FilterClass::GradientBevel, FilterDialect::Avm2);
    bevel.type = "full";
    bevel.colors = {0xff0000, 0x00ff00, 0x0000ff};
    bevel.alphas = {1, 0.5};
    bevel.ratios = {0, 128, 255};
    const Filter ramp = ToFilterRecord(bevel);
    EXPECT_TRUE(ramp.onTop);
    ASSERT_EQ(ramp.ramp.size(), 2u); // the shortest list counts
    EXPECT_EQ(ramp.ramp[1].ratio, 128);
    EXPECT_EQ(FromFilterRecord(ramp).type, "full");
}

TEST(FilterSettings, BlendModesByName) {
    EXPECT_EQ(BlendModeNamed("multiply"), 3);
    EXPECT_EQ(BlendModeNamed("hardlight"), 14);
    EXPECT_EQ(BlendModeNamed("Multiply"), 0);
    EXPECT_STREQ(BlendModeName(3), "multiply");
    EXPECT_STREQ(BlendModeName(0), "normal");
    EXPECT_STREQ(BlendModeName(99), "normal");
}

TEST(GeomMath, MatricesInvertAndBoxesMeet) {
    const GeomMatrix m = GeomMatrix::box(2, 4, 0, 10, 20);
    const GeomMatrix back = m.inverted();
    double x = 3, y = 5;
    m.map(x, y);
    back.map(x, y);
    EXPECT_DOUBLE_EQ(x, 3);
    EXPECT_DOUBLE_EQ(y, 5);
    EXPECT_EQ(GeomMatrix({0, 0, 0, 0, 3, 4}).inverted().tx, -3);
    const GeomBox a{0, 0, 10, 10}, b{5, 5, 10, 10};
    const GeomBox both = a.intersection(b);
    EXPECT_EQ(both.x, 5);
    EXPECT_EQ(both.width, 5);
    EXPECT_TRUE(a.intersection({20, 20, 1, 1}).empty());
    const GeomBox all = a.united(b);
    EXPECT_EQ(all.width, 15);
    EXPECT_EQ(a.united({}).width, 10);
    EXPECT_TRUE(a.contains(0, 0));
    EXPECT_FALSE(a.contains(10, 5));
}
