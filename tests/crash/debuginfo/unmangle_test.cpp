// Display names and units of stored symbol names.
#include <gtest/gtest.h>

#include "crash/debuginfo/unmangle.h"

namespace roadsum {
namespace {

void expect_unmangled(const char* stored, const char* name, const char* unit) {
    const UnmangledName u = Unmangle(stored);
    EXPECT_EQ(u.name, name) << stored;
    EXPECT_EQ(u.unit, unit) << stored;
}

TEST(Unmangle, UnitClassAndMethodWithTheirEncodingCutOff) {
    expect_unmangled("@RoadsumFrm@TRoadsumFrm@PricelistBtnClick$qqrp14System@TObject", "TRoadsumFrm.PricelistBtnClick",
                     "RoadsumFrm");
    expect_unmangled("@Classes@TList@Add$qqrpv", "TList.Add", "Classes");
    expect_unmangled("@Unit@Function", "Function", "Unit");
}

TEST(Unmangle, NameEndingAtTheClassIsConstructorOrDestructor) {
    expect_unmangled("@Classes@TList@$bctr$qqrv", "TList.Create", "Classes");
    expect_unmangled("@Classes@TList@$dtor", "TList.Destroy", "Classes");
    expect_unmangled("@Classes@TList@$ctor", "TList.Create", "Classes");
    // The usual destructor encoding begins with 'b' like the constructor's; it still names a
    // destructor.
    expect_unmangled("@Classes@TList@$bdtr$qqrv", "TList.Destroy", "Classes");
    // Without an encoding the name ending at its class is still a constructor; one that ends
    // there only after trimming is not known.
    expect_unmangled("@Classes@TList@", "TList.Create", "Classes");
    expect_unmangled("@Classes@TList@ ", "TList.?", "Classes");
    expect_unmangled("@Classes@TList. $qqrv", "TList.?", "Classes");
}

TEST(Unmangle, PlainNamesStayWithScopeOperatorsAsDots) {
    expect_unmangled("TRoadsumFrm.PricelistBtnClick", "TRoadsumFrm.PricelistBtnClick", "");
    expect_unmangled("std::vector<int>::push_back", "std.vector<int>.push_back", "");
    expect_unmangled("WinMain", "WinMain", "");
    expect_unmangled("", "", "");
}

TEST(Unmangle, NamesTooShortForAUnitKeepTheirAt) {
    expect_unmangled("@HandleFinally", "@HandleFinally", "");
    expect_unmangled("@@TFoo@$ctor", "TFoo.Create", "");
    expect_unmangled("@@memcpy", "memcpy", "");
}

TEST(Unmangle, TemplatesKeepTheirMemberAsSuffix) {
    expect_unmangled("@%Vector$i%@Add$qv", "Vector.Add", "");
    expect_unmangled("@Std@%vector$i%@push_back$qrxi", "vector", "Std");
}

TEST(Unmangle, LeadingMarkerPartIsSkipped) {
    expect_unmangled("@_$DCA$@Unit@Routine$qv", "Routine", "Unit");
}

}  // namespace
}  // namespace roadsum
