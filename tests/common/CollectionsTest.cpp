#include <gtest/gtest.h>

#include <initializer_list>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>

#include "common/CommonTypes.h"
#include "common/CustomCollection.h"
#include "common/ObjectCollection.h"

namespace kalvero {
namespace {

template <typename E, typename F>
void ExpectError(F aAction, const std::string& aMessage) {
    try {
        aAction();
        ADD_FAILURE() << "no exception, expected: " << aMessage;
    } catch (const E& e) {
        EXPECT_EQ(aMessage, e.what());
    }
}

// ---------------------------------------------------------------- TPairArray

TEST(PairArrayTest, KeysAndAbsentValues) {
    TPairArray pairs;
    EXPECT_EQ("", pairs.GetValue("x"));
    std::string v = "stale";
    EXPECT_FALSE(pairs.GetValue(3, v));
    EXPECT_EQ("", v);

    pairs.Add(5, "five");  // integer keys file under their decimal text
    pairs.Add("-3", "minus three");
    pairs.Add("-3", "second");
    EXPECT_EQ("five", pairs.GetValue("5"));
    EXPECT_TRUE(pairs.GetValue(-3, v));
    EXPECT_EQ("minus three", v);
    EXPECT_FALSE(pairs.ContainsKey("05"));
    v = "stale";
    EXPECT_FALSE(pairs.GetValue(4, v));
    EXPECT_EQ("", v);
}

TEST(PairArrayTest, UpdateChangesAllAddUniqOnlyFirst) {
    TPairArray pairs;
    pairs.Add("k", "1");
    pairs.Add("other", "x");
    pairs.Add("k", "2");
    pairs.AddUniq("k", "u");
    pairs.AddUniq(7, "seven");
    EXPECT_EQ("k=u\r\nother=x\r\nk=2\r\n7=seven\r\n", pairs.ToString("="));
    pairs.Update("k", "all");
    EXPECT_EQ("k=all\r\nother=x\r\nk=all\r\n7=seven\r\n", pairs.ToString("="));
}

TEST(PairArrayTest, ErrorsLeaveListUnchanged) {
    TPairArray pairs;
    pairs.Add("a", "1");
    ExpectError<std::out_of_range>([&] { pairs.Update("b", "2"); }, "Incorrect key");
    ExpectError<std::out_of_range>([&] { pairs.GetKeyByIndex(1); }, "Incorrect index");
    ExpectError<std::out_of_range>([&] { pairs.GetValueByIndex(-1); }, "Incorrect index");
    EXPECT_EQ("a=1\r\n", pairs.ToString("="));
}

TEST(PairArrayTest, SortIsAscendingOrdinalAndStable) {
    auto sorted = [](std::initializer_list<TPair> aPairs) {
        TPairArray pairs{aPairs};
        pairs.Sort();
        return pairs.ToString(":");
    };
    EXPECT_EQ("", sorted({}));
    EXPECT_EQ("a:\r\nb:\r\n", sorted({{"b", ""}, {"a", ""}}));
    EXPECT_EQ("a:\r\nb:\r\nc:\r\n", sorted({{"b", ""}, {"c", ""}, {"a", ""}}));
    // Upper case before lower case; equal keys keep their insertion order.
    EXPECT_EQ("B:\r\na:1\r\na:2\r\nb:1\r\nb:2\r\nb:3\r\n",
              sorted({{"b", "1"}, {"B", ""}, {"a", "1"}, {"b", "2"}, {"a", "2"}, {"b", "3"}}));
}

// ---------------------------------------------------------------- TObjectCollection

// Counts live instances so that destruction (and its absence) can be observed.
class TCounted : public TObject {
public:
    explicit TCounted(int* aLive) : fLive(aLive) { ++*fLive; }
    ~TCounted() override { --*fLive; }

private:
    int* fLive;
};

class TNamed : public TObject {
public:
    std::string ClassName() const override { return "TCustomName"; }
};

TEST(ObjectCollectionTest, ReplacingKeepsOldObject) {
    int live = 0;
    auto* a = new TCounted(&live);
    auto* b = new TCounted(&live);
    {
        TObjectCollection set(octSet);
        set.AddItem("k", a);
        set.AddItem("k", b);
        EXPECT_EQ(1, set.GetItemCount());
        EXPECT_EQ(b, set.GetItemByKey("k"));
        EXPECT_EQ(2, live);  // A survives: the caller keeps it

        set.PutItem(0, new TCounted(&live));
        EXPECT_EQ(3, live);  // so does B
        ExpectError<EObjectCollectionException>([&] { set.PutItem(1, nullptr); },
                                                "Incorrect collection item index: 1");
    }
    EXPECT_EQ(2, live);  // the destructor freed only what the collection held
    delete a;
    delete b;
}

TEST(ObjectCollectionTest, RemovalDestroysObjects) {
    int live = 0;
    TObjectCollection list(octArray);
    auto* first = new TCounted(&live);
    list.AddItem("k", first);
    list.AddItem("x", new TCounted(&live));
    list.AddItem("k", new TCounted(&live));
    list.AddItem("null", nullptr);
    list.AddItem("k", new TCounted(&live));
    EXPECT_EQ(first, list.GetItemByKey("k"));
    EXPECT_EQ(nullptr, list.GetItemByKey("absent"));

    list.RemoveItemByKey("k");
    EXPECT_EQ(1, live);
    EXPECT_EQ("0:'x' - Object(TCounted), 1:'null' - NULL, ", list.ToString());
    ExpectError<EObjectCollectionException>([&] { list.RemoveItemByKey("k"); },
                                            "Item with such key was not found");
    ExpectError<EObjectCollectionException>([&] { list.RemoveItemByIndex(2); },
                                            "Incorrect collection item index: 2");
    ExpectError<EObjectCollectionException>([&] { list.RemoveItemByIndex(-1); },
                                            "Incorrect collection item index: -1");
    list.RemoveItemByIndex(1);  // null object: nothing to destroy
    list.AddItem("x", new TNamed());
    EXPECT_TRUE(list.RemoveOneItemByKey("x"));  // the first only
    EXPECT_FALSE(list.RemoveOneItemByKey("absent"));
    EXPECT_EQ(0, live);
    EXPECT_EQ("0:'x' - Object(TCustomName), ", list.ToString());
    ExpectError<EObjectCollectionException>([&] { list.GetItemByIndex(1); },
                                            "Item with such index was not found");
}

TEST(ObjectCollectionTest, MoveTransfersOwnership) {
    int live = 0;
    TObjectCollection source(octSet);
    source.AddItem("a", new TCounted(&live));
    TObjectCollection target(std::move(source));
    EXPECT_EQ(0, source.GetItemCount());  // NOLINT(bugprone-use-after-move)

    TObjectCollection other(octArray);
    other.AddItem("b", new TCounted(&live));
    other = std::move(target);  // "b" is destroyed, "a" taken over
    EXPECT_EQ(1, live);
    EXPECT_EQ("0:'a' - Object(TCounted), ", other.ToString());
}

TEST(ObjectCollectionTest, AnonymousKeysAreDistinctObjectNumbers) {
    // Many adds in a row: a generator reseeded from a coarse clock would repeat numbers here.
    int live = 0;
    TObjectCollection list(octArray);
    std::set<std::string> keys;
    for (int i = 0; i < 200; ++i)
        list.AddItem(new TCounted(&live));
    for (int i = 0; i < list.GetItemCount(); ++i) {
        const std::string key = list.GetItemByIndex(i).key;
        EXPECT_TRUE(std::regex_match(key, std::regex("object[0-9]{1,10}"))) << key;
        keys.insert(key);
    }
    EXPECT_EQ(200u, keys.size());
    list.RemoveItemByKey(*keys.begin());
    EXPECT_EQ(199, live);
}

TEST(ObjectCollectionTest, SortAsStringsAndNumbers) {
    TObjectCollection list(octArray);
    for (const char* key : {"10", "9", "-1", "100", "+9"})
        list.AddItem(key, nullptr);
    list.SortAsStrings();
    EXPECT_EQ("0:'+9' - NULL, 1:'-1' - NULL, 2:'10' - NULL, 3:'100' - NULL, 4:'9' - NULL, ", list.ToString());
    list.SortAsNumbers();
    EXPECT_EQ("0:'-1' - NULL, 1:'+9' - NULL, 2:'9' - NULL, 3:'10' - NULL, 4:'100' - NULL, ", list.ToString());
}

TEST(ObjectCollectionTest, SortAsNumbersStopsAtNonIntegerKey) {
    TObjectCollection list(octArray);
    for (const char* key : {"3", "1", "x7", "2"})
        list.AddItem(key, nullptr);
    // i = 0: j = 3 swaps "3" and "2", then j = 2 meets "x7".
    ExpectError<std::invalid_argument>([&] { list.SortAsNumbers(); }, "'x7' is not a valid integer value");
    EXPECT_EQ("0:'2' - NULL, 1:'1' - NULL, 2:'x7' - NULL, 3:'3' - NULL, ", list.ToString());

    TObjectCollection range(octArray);
    range.AddItem("-2147483648", nullptr);
    range.AddItem("2147483648", nullptr);
    ExpectError<std::invalid_argument>([&] { range.SortAsNumbers(); },
                                       "'2147483648' is not a valid integer value");
}

// ---------------------------------------------------------------- TCustomCollection

TRefPoint Point(int32_t aUnitValue) {
    TRefPoint p;
    p.Create(aUnitValue);
    return p;
}

TEST(CustomCollectionTest, RefPointCreateTouchesOnlyReadingAndDescription) {
    TRefPoint p;
    EXPECT_EQ(0u, p.peakHeight);
    EXPECT_EQ(0.0f, p.specificHeat);
    p.description = "old";
    p.realValue = 156.6f;
    p.weight = 12.5f;
    p.area = 7;
    p.Create(42);
    EXPECT_EQ(42, p.unitValue);
    EXPECT_EQ("", p.description);
    EXPECT_EQ(156.6f, p.realValue);
    EXPECT_EQ(12.5f, p.weight);
    EXPECT_EQ(7u, p.area);
}

TEST(CustomCollectionTest, ErrorMessages) {
    TCustomCollection c;
    ExpectError<std::runtime_error>([&] { c.GetItemByKey(5); }, "Item with such key was not found");
    ExpectError<std::runtime_error>([&] { c.GetItemByKey(std::string("a")); },
                                    "Item with such key was not found");
    ExpectError<std::runtime_error>([&] { c.RemoveItemByKey(5); }, "Item with such key was not found");
    ExpectError<std::runtime_error>([&] { c.RemoveItem(-1); }, "index not in range");
    ExpectError<std::runtime_error>([&] { c.GetItem(0); }, "Item with such index was not found");
    c.AddItem(1, Point(10));
    ExpectError<std::runtime_error>([&] { c.RemoveItem(1); }, "index not in range");
    ExpectError<std::runtime_error>([&] { c.SetItem(1, TRefPoint()); }, "Item with such index was not found");
    c.RemoveItem(0);
    EXPECT_EQ(0, c.GetItemCount());
}

TEST(CustomCollectionTest, LookupsReturnFirstOfMatchingKind) {
    TCustomCollection c;
    c.AddItem(5, Point(50));
    c.AddItem(5, Point(51));
    c.AddItem(std::string("a"), Point(60));
    c.AddItem(2.5f, Point(70));
    c.AddItem(0, Point(80));
    EXPECT_EQ(50, c.GetItemByKey(5).unitValue);
    EXPECT_EQ(60, c.GetItemByKey(std::string("a")).unitValue);
    EXPECT_EQ(70, c.GetItemByKey(2.5f).unitValue);
    // A real 0.0 has the bit pattern of the integer 0, yet must not find the integer key.
    ExpectError<std::runtime_error>([&] { c.GetItemByKey(0.0f); }, "Item with such key was not found");

    TRefPoint copy = c.GetItem(0);
    copy.unitValue = 99;
    EXPECT_EQ(50, c.GetItem(0).unitValue);
    c.SetItem(0, copy);
    EXPECT_EQ(99, c.GetItemByKey(5).unitValue);  // the key is kept

    c.RemoveItemByKey(5);
    c.RemoveItem(1);
    EXPECT_EQ("5-51:277, -70:277, 0-80:277, ", c.ToString());
}

TEST(CustomCollectionTest, LongStringKeysAreCutTo255Characters) {
    TCustomCollection c;
    std::string key;
    for (int i = 0; i < 300; ++i)
        key += "ж";  // two bytes per character in UTF-8
    c.AddItem(key, Point(1));
    EXPECT_EQ(510u, c.items[0].keyStr.size());
    EXPECT_EQ(1, c.GetItemByKey(key).unitValue);
}

TEST(CustomCollectionTest, SortOrders) {
    TCustomCollection ints;
    for (int32_t key : {30, -5, 20, 10, 20})
        ints.AddItem(key, Point(key));
    ints.Sort();
    EXPECT_EQ("-5--5:277, 10-10:277, 20-20:277, 20-20:277, 30-30:277, ", ints.ToString());

    // Windows-1251 puts "ё" (0xB8) before "А" (0xC0) and "я" (0xFF); in UTF-8 it would come last.
    TCustomCollection texts;
    for (const char* key : {"я", "ё", "А", "z"})
        texts.AddItem(std::string(key), Point(0));
    texts.Sort();
    EXPECT_EQ("z-0:277, ё-0:277, А-0:277, я-0:277, ", texts.ToString());

    TCustomCollection reals;
    reals.AddItem(3.5f, Point(1));
    reals.AddItem(1.5f, Point(2));
    reals.Sort();
    EXPECT_EQ("-1:277, -2:277, ", reals.ToString());  // real keys are never moved
}

}  // namespace
}  // namespace kalvero
