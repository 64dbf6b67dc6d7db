// The collector's roots: every module global that holds an object or an array keeps what it
// holds alive through full collections. Each row puts a fresh object (or array) into one
// global, where nothing else refers to it, runs full collections until the garbage of the
// sweeps has been destroyed, and checks that the object is still there. The same object
// behind a global the collector does not know is destroyed, which shows that the check can
// fail.
#include "app/app.h"
#include "audio/sound.h"
#include "graphics/graphics.h"
#include "graphics/gxtk_graphics.h"
#include "net/thread.h"
#include "runtime/containers.h"
#include "tests/framework/framework_support.h"

#include <climits>
#include <cstdlib>
#include <functional>

namespace hexwend::testing {
namespace {

int destroyed = 0;

// An object of a class the globals hold that counts its destruction.
template <class Base> class Counted : public Base {
  public:
    ~Counted() override { ++destroyed; }
};

class CountedEventSource : public Object, public c_IAsyncEventSource {
  public:
    int p_UpdateAsyncEvents() override { return 0; }
    ~CountedEventSource() override { ++destroyed; }
};

// What one row planted: the object that must stay alive, and whether it is still whole.
struct Planted {
    gc_object* object;
    std::function<bool()> whole;
};

struct Row {
    const char* global;
    std::function<Planted()> plant;
};

// A counted object held directly by the global.
template <class T, class Made = Counted<T>> Row objectRow(const char* name, T*& global) {
    return {name, [&global] {
                Made* made = new Made();
                gc_assign(global, made);
                return Planted{made, [] { return destroyed == 0; }};
            }};
}

// A counted object in an array held by the global: it lives only if the array does.
template <class T> Row objectArrayRow(const char* name, Array<T*>& global) {
    return {name, [&global] {
                Array<T*> array(8);
                gc_assign(array[5], static_cast<T*>(new Counted<T>()));
                gc_assign(global, array);
                return Planted{array.GetRep(), [] { return destroyed == 0; }};
            }};
}

// An array of values held by the global, with a value to find in it again.
template <class T> Row valueArrayRow(const char* name, Array<T>& global, T value) {
    return {name, [&global, value] {
                Array<T> array(8);
                array[5] = value;
                gc_assign(global, array);
                return Planted{array.GetRep(), [array, value] { return array[5] == value; }};
            }};
}

// Full collections: what is unreachable at a sweep goes to the free list and is destroyed
// when the free list is flushed. Nothing is allocated afterwards, so no block of a destroyed
// object can come back to life as another object.
void collectFully() {
    for (int i = 0; i < 3; ++i) gc_collect_all();
    gc_flush_free(INT_MAX);
}

// Globals of the same types that are no roots.
c_App* unrootedObject;
Array<float> unrootedArray;

class RootsTest : public FrameworkTest {
  protected:
    void SetUp() override {
        useSilentAudio(); // the audio device row opens a device
        FrameworkTest::SetUp();
    }

    // Plants, collects and answers whether the planted object survived.
    static bool survives(const Row& row) {
        destroyed = 0;
        Planted planted = row.plant();
        collectFully();
        return gc_is_live(planted.object) && planted.whole();
    }
};

TEST_F(RootsTest, EveryGlobalHoldingAnObjectKeepsItThroughFullCollections) {
    const Row rows[] = {
        objectRow("rt_app__app", rt_app__app),
        objectRow("rt_app__delegate", rt_app__delegate),
        objectRow("rt_graphics_device", rt_graphics_device),
        objectRow("rt_graphics_context", rt_graphics_context),
        objectRow("rt_audio_device", rt_audio_device),
        objectRow("rt_input_device", rt_input_device),
        objectArrayRow("rt_app__displayModes", rt_app__displayModes),
        objectRow("rt_app__desktopMode", rt_app__desktopMode),
        objectRow("rt_graphics_renderDevice", rt_graphics_renderDevice),
        valueArrayRow("rt_quzo_QUZO_Scramble", rt_quzo_QUZO_Scramble, 41),
        valueArrayRow("rt_quzo_QUZO_DrawStyle", rt_quzo_QUZO_DrawStyle, 0.5f),
        valueArrayRow("rt_quzo_QUZO_Draw", rt_quzo_QUZO_Draw, 2.5f),
        valueArrayRow("rt_quzo_QUZO_Set", rt_quzo_QUZO_Set, 7),
        valueArrayRow("rt_quzo_QUZO_Username", rt_quzo_QUZO_Username, 65),
        valueArrayRow("rt_quzo_QUZO_Score", rt_quzo_QUZO_Score, 1250),
        valueArrayRow("rt_quzo_kdis", rt_quzo_kdis, 1),
        valueArrayRow("rt_quzo_mdis", rt_quzo_mdis, 1),
        valueArrayRow("rt_quzo_QUZO_MenuPos", rt_quzo_QUZO_MenuPos, -64),
        valueArrayRow("rt_quzo_grid", rt_quzo_grid, 3.0f),
        valueArrayRow("rt_quzo_plr", rt_quzo_plr, 4.0f),
        valueArrayRow("rt_quzo_obj", rt_quzo_obj, 5.0f),
        valueArrayRow("rt_quzo_part", rt_quzo_part, 6.0f),
        valueArrayRow("rt_quzo_astar", rt_quzo_astar, 7.0f),
        valueArrayRow("rt_quzo_QUZO_Cred", rt_quzo_QUZO_Cred, String("Credits")),
        valueArrayRow("rt_quzo_Joy_Disable", rt_quzo_Joy_Disable, 1),
        valueArrayRow("rt_quzo_QUZO_ImgD", rt_quzo_QUZO_ImgD, 16),
        valueArrayRow("rt_quzo_QUZO_Data", rt_quzo_QUZO_Data, 60.0f),
        valueArrayRow("rt_quzo_QUZO_Buffer", rt_quzo_QUZO_Buffer, 8.0f),
        objectArrayRow("rt_quzo_QUZO_Img", rt_quzo_QUZO_Img),
        valueArrayRow("rt_quzo_QUZO_Touch", rt_quzo_QUZO_Touch, 24.0f),
        valueArrayRow("rt_quzo_QUZO_Control", rt_quzo_QUZO_Control, -1.0f),
        objectArrayRow("rt_quzo_QUZO_SFX", rt_quzo_QUZO_SFX),
        valueArrayRow("rt_quzo_QUZO_ImgW", rt_quzo_QUZO_ImgW, 64.0f),
        valueArrayRow("rt_quzo_QUZO_ImgH", rt_quzo_QUZO_ImgH, 48.0f),
        valueArrayRow("rt_quzo_QUZO_FontKern", rt_quzo_QUZO_FontKern, 22),
        valueArrayRow("rt_quzo_QUZO_OnScore", rt_quzo_QUZO_OnScore, 990),
        valueArrayRow("rt_quzo_QUZO_OnName", rt_quzo_QUZO_OnName, String("Name")),
        valueArrayRow("rt_quzo_paused", rt_quzo_paused, 9.0f),
        objectRow<c_IAsyncEventSource, CountedEventSource>("c_Stack3::m_NIL", c_Stack3::m_NIL),
        objectRow("rt_asyncevent__sources", rt_asyncevent__sources),
        objectRow<c_IAsyncEventSource, CountedEventSource>("rt_asyncevent__current",
                                                           rt_asyncevent__current),
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.global);
        EXPECT_TRUE(survives(row));
    }
}

TEST_F(RootsTest, TheSameObjectsBehindAGlobalThatIsNoRootAreDestroyed) {
    EXPECT_FALSE(survives(objectRow("an unrooted object", unrootedObject)));
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(survives(valueArrayRow("an unrooted array", unrootedArray, 1.0f)));
}

} // namespace
} // namespace hexwend::testing
