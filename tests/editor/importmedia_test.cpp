// The "New" buttons bring models and pictures from outside the media folder into it.
#include <filesystem>
#include <string>

#include "tests/editor/editor_support.h"
#include "tests/import/import_samples.h"
#include "tests/level/level_slots.h"

namespace {

TEST_F(EditorTest, NewImportsModelsWithTheirTexturesAndCopiesMediaFromOutside) {
    std::filesystem::create_directories(Path("outside"));
    level_media::WriteBytes(Path("outside/box.mtl"), "newmtl skin\nKd 1 1 1\nmap_Kd C:\\art\\skin.png\n");
    level_media::WriteBytes(Path("outside/box.obj"), "mtllib box.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                                     "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl skin\nf 1/1 2/2 3/3 4/4\n");
    level_media::WriteBytes(Path("outside/skin.png"), import_samples::Picture("png", 3, 1, std::vector<uint8_t>(12, 90)));
    level_media::WriteBytes(Path("outside/broken.obj"), "f 1 2 3\n");
    std::filesystem::copy_file(Path("media/wood.bmp"), Path("outside/planks.bmp"));
    for (const char* answer : {"outside/box.obj", "outside/box.obj", "outside/broken.obj", "outside/planks.bmp"})
        platform().QueueFileAnswer(Path(answer));
    std::string replace, failed;
    gui().Click("bt_kmo_new").Idle(1).Click("bt_kmo_new");
    AnswerMessage(replace, "bt_no").Click("bt_kmo_new");
    AnswerMessage(failed).Idle(1).Click("bt_tex_new").Idle(1);
    int triangles = 0, width = 0;
    gui().Do([&](HeadlessPlatform&) {
        triangles = SlotTriangles(static_cast<int>(ModelCount()) - 1);
        width = SpriteWidth(static_cast<int>(TextureCount()) - 2);
    });
    SaveFromPanel();
    RunEditor();
    const auto& calls = platform().FileDialogCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_NE(calls[0].filter.find("|*.kmo;*.obj;*.gltf;*.glb;*.fbx;*.dae;*.ply;*.stl;"), std::string::npos);
    EXPECT_EQ(calls[3].filter, "Textures (*.bmp, PNG, JPEG, TGA, GIF, PSD)|*.bmp;*.png;*.jpg;*.jpeg;*.tga;*.gif;*.psd|"
                               "Textures (*.bmp)|*.bmp");
    EXPECT_EQ(replace, "box.kmo is already in the media folder. Replace it?");
    EXPECT_EQ(failed.rfind("Could not import broken.obj: ", 0), 0u) << failed;
    EXPECT_EQ(triangles, 2);
    EXPECT_EQ(width, 3) << "the model's texture";
    const std::string saved = Saved();
    EXPECT_NE(Section(saved, "types").find("count=12\r\n"), std::string::npos) << "added once";
    EXPECT_NE(Section(saved, "types").find("\r\n11=box.kmo\r\n"), std::string::npos);
    EXPECT_NE(Section(saved, "textures").find("\r\n9=skin.bmp\r\n10=planks.bmp\r\n"), std::string::npos);
    for (const char* file : {"media/box.kmo", "media/skin.bmp", "media/planks.bmp"})
        EXPECT_TRUE(std::filesystem::is_regular_file(Path(file))) << file;
    EXPECT_FALSE(std::filesystem::exists(Path("media/broken.kmo")));
}

}  // namespace
