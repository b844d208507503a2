// OpenGLLumenor: GL state, model drawing, lights, the shading ramp and the 3D helpers.
#include "runtime/gfx3d/opengl_lumenor.h"

#include <GL/gl.h>
#include <GL/glext.h>   // Required for: the ARB entry point types

#include <algorithm>   // Required for: std::clamp, std::min, std::max
#include <cmath>       // Required for: std::sqrt
#include <cstddef>     // Required for: offsetof
#include <vector>

#include "runtime/frame/frame.h"     // Required for: GraphicsAvailable, GetGLProcAddress, viewport
#include "runtime/gfx2d/draw2d.h"    // Required for: PrintText
#include "runtime/gfx2d/sprites.h"   // Required for: BindSpriteTexture, sprite sizes

namespace {

// Entry points of the buffer-object and multitexture extensions.
struct GLExtensions {
    PFNGLGENBUFFERSARBPROC genBuffers = nullptr;
    PFNGLBINDBUFFERARBPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAARBPROC bufferData = nullptr;
    PFNGLDELETEBUFFERSARBPROC deleteBuffers = nullptr;
    PFNGLACTIVETEXTUREARBPROC activeTexture = nullptr;
    PFNGLCLIENTACTIVETEXTUREARBPROC clientActiveTexture = nullptr;
};

GLExtensions& Ext() {
    static GLExtensions ext;
    return ext;
}

// 3D models use each sprite's mipmapped texture.
constexpr int kModelTextureVariant = 1;
constexpr float kRampFactors[16] = {100, 160, 160, 160, 160, 160, 160, 207, 255, 255, 255, 255, 255, 255, 255, 255};
constexpr double kAxisLength = 10.0;

void SetColour(uint32_t colour) {
    glColor4f(float(colour & 0xFF) / 255.0f, float((colour >> 8) & 0xFF) / 255.0f,
              float((colour >> 16) & 0xFF) / 255.0f, 1.0f);
}

const GLvoid* Field(const MeshVertex* base, size_t offset) {
    return reinterpret_cast<const GLvoid*>(reinterpret_cast<const char*>(base) + offset);
}

}  // namespace

OpenGLLumenor::OpenGLLumenor() = default;
OpenGLLumenor::~OpenGLLumenor() = default;

void OpenGLLumenor::CheckExtensions() {
    if (extensionsChecked_) return;
    extensionsChecked_ = true;
    vboChecked_ = true;
    GLExtensions& e = Ext();
    e = GLExtensions{};
    if (HasGLExtension("GL_ARB_vertex_buffer_object")) {
        e.genBuffers = reinterpret_cast<PFNGLGENBUFFERSARBPROC>(GetGLProcAddress("glGenBuffersARB"));
        e.bindBuffer = reinterpret_cast<PFNGLBINDBUFFERARBPROC>(GetGLProcAddress("glBindBufferARB"));
        e.bufferData = reinterpret_cast<PFNGLBUFFERDATAARBPROC>(GetGLProcAddress("glBufferDataARB"));
        e.deleteBuffers = reinterpret_cast<PFNGLDELETEBUFFERSARBPROC>(GetGLProcAddress("glDeleteBuffersARB"));
    }
    vboAvailable_ = e.genBuffers && e.bindBuffer && e.bufferData && e.deleteBuffers;
    if (HasGLExtension("GL_ARB_multitexture")) {
        e.activeTexture = reinterpret_cast<PFNGLACTIVETEXTUREARBPROC>(GetGLProcAddress("glActiveTextureARB"));
        e.clientActiveTexture =
            reinterpret_cast<PFNGLCLIENTACTIVETEXTUREARBPROC>(GetGLProcAddress("glClientActiveTextureARB"));
    }
    multitexture_ = e.activeTexture && e.clientActiveTexture;
}

void OpenGLLumenor::ForgetGLObjects() {
    ForEachModel([](MeshObject& model) {
        model.buffers[0] = model.buffers[1] = 0;
        model.texture = 0;
    });
    uploaded_.clear();
    extensionsChecked_ = false;
    vboChecked_ = false;
    probeList_ = 0;
}

void OpenGLLumenor::EnsureContext() {
    if (probeList_ != 0 && glIsList(probeList_)) return;
    ForgetGLObjects();
    probeList_ = glGenLists(1);
    glNewList(probeList_, GL_COMPILE);
    glEndList();
}

void OpenGLLumenor::ReleaseModel(MeshObject& model) {
    if (GraphicsAvailable()) {
        EnsureContext();
        CheckExtensions();
        if (vboAvailable_ && (model.buffers[0] || model.buffers[1])) {
            GLuint names[2] = {model.buffers[0], model.buffers[1]};
            Ext().deleteBuffers(2, names);
        }
        if (model.texture) {
            GLuint name = model.texture;
            glDeleteTextures(1, &name);
        }
    }
    uploaded_.erase(&model);
    Lumenor3D::ReleaseModel(model);
}

void OpenGLLumenor::RestoreTextures() { BindSpriteTexture(texture_[0], texture_[1], kModelTextureVariant); }

void OpenGLLumenor::SetTexture(int sprite, int secondSprite) {
    texture_[0] = sprite < 0 ? -1 : sprite;
    texture_[1] = secondSprite < 0 ? -1 : secondSprite;
    RestoreTextures();
}

void OpenGLLumenor::ApplyCullMode(int mode) {
    if (!GraphicsAvailable()) return;
    if (mode == 0) {
        glDisable(GL_CULL_FACE);
        return;
    }
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(mode > 0 ? GL_CW : GL_CCW);
}

void OpenGLLumenor::SetCullMode(int mode) {
    Lumenor3D::SetCullMode(mode);
    ApplyCullMode(CullMode());
}

void OpenGLLumenor::Make3D(double nearPlane, double farPlane, double fov) {
    Lumenor3D::Make3D(nearPlane, farPlane, fov);
    texture_[0] = texture_[1] = -1;
    lightingOn_ = false;
    if (!GraphicsAvailable()) return;
    EnsureContext();
    CheckExtensions();
    const Viewport& vp = CurrentViewport();
    glViewport(vp.x, vp.displayHeight - vp.h - vp.y, vp.w, vp.h);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(ProjectionMatrix().m);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    BindSpriteTexture(-1, -1, kModelTextureVariant);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 1);
    for (GLenum cap : {GL_FOG, GL_LIGHTING, GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_POLYGON_SMOOTH, GL_STENCIL_TEST,
                       GL_NORMALIZE}) {
        glDisable(cap);
    }
    glShadeModel(GL_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DITHER);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_FOG_HINT, GL_NICEST);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    ApplyCullMode(0);
}

void OpenGLLumenor::SetCamera(double ex, double ey, double ez, double tx, double ty, double tz) {
    Lumenor3D::SetCamera(ex, ey, ez, tx, ty, tz);
    if (!GraphicsAvailable()) return;
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(ViewMatrix().m);
    glEnable(GL_DEPTH_TEST);
    ApplyCullMode(0);
}

void OpenGLLumenor::SetLight(int n, uint32_t colour, double x, double y, double z, double dx, double dy, double dz,
                             double cutoff) {
    Lumenor3D::SetLight(n, colour, x, y, z, dx, dy, dz, cutoff);
    if (n < 0 || !GraphicsAvailable()) return;
    const int index = n % 8;
    const GLenum light = GLenum(GL_LIGHT0 + index);
    if (cutoff == 0) {
        glDisable(light);
        lightOn_[index] = false;
        return;
    }
    lightOn_[index] = true;
    lightingOn_ = true;
    glEnable(GL_LIGHTING);
    glEnable(light);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
    const GLfloat diffuse[4] = {float(colour & 0xFF) / 255.0f, float((colour >> 8) & 0xFF) / 255.0f,
                                float((colour >> 16) & 0xFF) / 255.0f, 1.0f};
    glLightfv(light, GL_DIFFUSE, diffuse);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    const bool headLight = x == 0 && y == 0 && z == 0 && dx == 0 && dy == 0 && dz == 0;
    if (headLight) {
        // At the eye, shining along the view: given in eye space.
        glLoadIdentity();
        const GLfloat pos[4] = {0, 0, 0, 1};
        const GLfloat dir[3] = {0, 0, -1};
        glLightfv(light, GL_POSITION, pos);
        glLightfv(light, GL_SPOT_DIRECTION, dir);
        glLightf(light, GL_SPOT_CUTOFF, 180.0f);
    } else {
        glLoadMatrixd(ViewMatrix().m);
        if (cutoff == 180) {
            const GLfloat pos[4] = {float(-dx), float(-dy), float(-dz), 0};
            glLightfv(light, GL_POSITION, pos);
            glLightf(light, GL_SPOT_CUTOFF, 180.0f);
        } else {
            const GLfloat pos[4] = {float(x), float(y), float(z), 1};
            glLightfv(light, GL_POSITION, pos);
            if (cutoff > 0 && cutoff <= 90) {
                const double len = std::sqrt(dx * dx + dy * dy + dz * dz);
                const GLfloat dir[3] = {float(len > 0 ? dx / len : 0), float(len > 0 ? dy / len : 0),
                                        float(len > 0 ? dz / len : -1)};
                glLightfv(light, GL_SPOT_DIRECTION, dir);
                glLightf(light, GL_SPOT_CUTOFF, float(cutoff));
            } else {
                glLightf(light, GL_SPOT_CUTOFF, 180.0f);
            }
        }
    }
    glPopMatrix();
    if (DebugDrawing() && !headLight) {
        const double p[3] = {x, y, z};
        DrawDot3D(p, 40, 0x80C8FF);
        if (cutoff > 0 && cutoff <= 90) {
            const double len = std::sqrt(dx * dx + dy * dy + dz * dz);
            if (len > 0) {
                const double q[3] = {x + dx / len * 500, y + dy / len * 500, z + dz / len * 500};
                DrawLine3D(p, q, 0x6CAAE1, 3);
            }
        }
    }
}

void OpenGLLumenor::BuildRampTexture(MeshObject& model) {
    int h = 1;
    while (h < int(model.palette.size()) && h < 32768) h *= 2;
    std::vector<uint8_t> texels(size_t(16) * size_t(h) * 4);
    for (int row = 0; row < h; ++row) {
        const uint32_t word = size_t(row) < model.palette.size() ? model.palette[size_t(row)]
                              : model.palette.empty()          ? kPaletteWhite
                                                               : model.palette[0];
        for (int k = 0; k < 16; ++k) {
            uint8_t* t = &texels[(size_t(row) * 16 + size_t(k)) * 4];
            const float f = kRampFactors[k];
            if (IsNonColour(word)) {
                t[0] = t[1] = t[2] = uint8_t(f);
            } else {
                t[0] = uint8_t(float(word & 0xFF) * f / 255.0f);
                t[1] = uint8_t(float((word >> 8) & 0xFF) * f / 255.0f);
                t[2] = uint8_t(float((word >> 16) & 0xFF) * f / 255.0f);
            }
            t[3] = 255;
        }
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 16, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    model.texture = name;
    model.rampStep = 1.0f / float(h);
}

void OpenGLLumenor::ApplyEffectRamp(MeshObject& model) {
    // The light carried into model space.
    Matrix4 inv;
    double lp[3] = {Effect().position[0], Effect().position[1], Effect().position[2]};
    if (ModelMatrix().InverseAffine(inv)) inv.TransformPoint(lp, lp);
    const float lx = float(lp[0]), ly = float(lp[1]), lz = float(lp[2]);
    const float step = model.rampStep;
    for (MeshVertex& m : model.drawList) {
        float l[3] = {lx - m.position[0], ly - m.position[1], lz - m.position[2]};
        const float len = std::sqrt(l[0] * l[0] + l[1] * l[1] + l[2] * l[2]);
        const float shade = len > 0 ? (m.normal[0] * l[0] + m.normal[1] * l[1] + m.normal[2] * l[2]) / len : 0.0f;
        m.binormal[0] = std::clamp(shade, 0.05f, 0.95f);
        m.binormal[1] = (float(m.colourIndex) + 0.5f) * step;
    }
}

void OpenGLLumenor::DrawArrays(MeshObject& model, const UploadKey& key, bool shaded) {
    const GLExtensions& e = Ext();
    const MeshVertex* base = model.drawList.data();
    if (vboAvailable_) {
        if (!model.buffers[0]) {
            GLuint names[2] = {0, 0};
            e.genBuffers(2, names);
            model.buffers[0] = names[0];
            model.buffers[1] = names[1];
        }
        e.bindBuffer(GL_ARRAY_BUFFER_ARB, model.buffers[0]);
        auto it = uploaded_.find(&model);
        if (shaded || it == uploaded_.end() || !(it->second == key)) {
            e.bufferData(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(model.drawList.size() * sizeof(MeshVertex)), base,
                         GL_STREAM_DRAW_ARB);
            uploaded_[&model] = shaded ? UploadKey{} : key;
        }
        base = nullptr;
    }
    constexpr GLsizei stride = sizeof(MeshVertex);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, Field(base, offsetof(MeshVertex, position)));
    if (multitexture_) e.clientActiveTexture(GL_TEXTURE0_ARB);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, Field(base, offsetof(MeshVertex, u)));
    if (lightingOn_) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, stride, Field(base, offsetof(MeshVertex, normal)));
    }
    // The ramp already carries the palette colours.
    const bool colours = model.hasColours && !shaded;
    if (colours) {
        glEnableClientState(GL_COLOR_ARRAY);
        const float alpha = float(GetDrawAlpha());
        if (alpha < 1.0f) {
            // Vertex colours replace the current colour, which carries the draw alpha:
            // carry it over, as the current colour would (red, green, blue and alpha).
            faded_.resize(model.drawList.size() * 4);
            for (size_t k = 0; k < model.drawList.size(); ++k) {
                const MeshVertex& m = model.drawList[k];
                float* c = &faded_[k * 4];
                c[0] = m.red * alpha;
                c[1] = m.green * alpha;
                c[2] = m.blue * alpha;
                c[3] = alpha;
            }
            if (vboAvailable_) e.bindBuffer(GL_ARRAY_BUFFER_ARB, 0);
            glColorPointer(4, GL_FLOAT, 0, faded_.data());
            if (vboAvailable_) e.bindBuffer(GL_ARRAY_BUFFER_ARB, model.buffers[0]);
        } else {
            glColorPointer(3, GL_FLOAT, stride, Field(base, offsetof(MeshVertex, red)));
        }
    }
    if (shaded) {
        e.clientActiveTexture(GL_TEXTURE1_ARB);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, Field(base, offsetof(MeshVertex, binormal)));
    }
    glPushAttrib(GL_CURRENT_BIT);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(model.drawList.size()));
    glPopAttrib();
    if (shaded) {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        e.clientActiveTexture(GL_TEXTURE0_ARB);
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (vboAvailable_) e.bindBuffer(GL_ARRAY_BUFFER_ARB, 0);
}

void OpenGLLumenor::DrawOutline(MeshObject& model, const MeshFrame& first) {
    const TransformLevel& l = Level(CurrentLevel());
    const double c[3] = {first.centre[0] + l.translation[0] - Eye()[0], first.centre[1] + l.translation[1] - Eye()[1],
                         first.centre[2] + l.translation[2] - Eye()[2]};
    double t = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]) * ViewTangent() * 0.0025;
    t = std::max(std::min(t, 0.125 * first.radius), 0.0000001);
    std::vector<float> outline(model.drawList.size() * 3);
    for (size_t k = 0; k < model.drawList.size(); ++k) {
        const MeshVertex& m = model.drawList[k];
        for (int a = 0; a < 3; ++a) outline[k * 3 + size_t(a)] = m.position[a] + m.normal[a] * float(t);
    }
    const int cull = CullMode();
    ApplyCullMode(-cull);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT);
    if (multitexture_) {
        Ext().activeTexture(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        Ext().activeTexture(GL_TEXTURE0_ARB);
    }
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glColor4f(0, 0, 0, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthFunc(GL_LEQUAL);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, outline.data());
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(model.drawList.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopAttrib();
    ApplyCullMode(cull);
}

void OpenGLLumenor::RenderModel(MeshObject& model, const MeshFrame& first, const AnimationPick& pick) {
    if (!GraphicsAvailable() || model.drawList.empty()) return;
    EnsureContext();
    CheckExtensions();
    const bool effect2 = Effect().enabled && Effect().mode == 2;
    const bool shaded = effect2 && multitexture_;
    if (shaded) {
        if (!model.texture) BuildRampTexture(model);
        ApplyEffectRamp(model);
    }
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixd(ModelMatrix().m);
    if (shaded) {
        // Unit 0 the model's sprite, unit 1 the ramp modulating it.
        BindSpriteTexture(texture_[0], -1, kModelTextureVariant);
        Ext().activeTexture(GL_TEXTURE1_ARB);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, model.texture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        Ext().activeTexture(GL_TEXTURE0_ARB);
    }
    const UploadKey key{first.triangles.data(), first.triangles.size(), pick.first, pick.second, pick.weight, shaded};
    DrawArrays(model, key, shaded);
    if (shaded) {
        Ext().activeTexture(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        Ext().activeTexture(GL_TEXTURE0_ARB);
        RestoreTextures();
    }
    if (effect2 && CullMode() != 0) DrawOutline(model, first);
    glPopMatrix();
}

void OpenGLLumenor::DrawLine3D(const double a[3], const double b[3], uint32_t colour, double width) {
    if (!GraphicsAvailable()) return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glLineWidth(float(std::clamp(std::isfinite(width) ? width : 1.0, 1.0, 512.0)));
    SetColour(colour);
    glBegin(GL_LINES);
    glVertex3d(a[0], a[1], a[2]);
    glVertex3d(b[0], b[1], b[2]);
    glEnd();
    glPopAttrib();
}

void OpenGLLumenor::DebugLine(const double a[3], const double b[3], uint32_t colour, double width) {
    DrawLine3D(a, b, colour, width);
}

void OpenGLLumenor::DrawDot3D(const double p[3], double size, uint32_t colour) {
    if (!GraphicsAvailable()) return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_POINT_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glPointSize(float(std::clamp(std::isfinite(size) ? size : 1.0, 1.0, 512.0)));
    SetColour(colour);
    glBegin(GL_POINTS);
    glVertex3d(p[0], p[1], p[2]);
    glEnd();
    glPopAttrib();
}

void OpenGLLumenor::DrawAxes(double x, double y, double z) {
    const double o[3] = {x, y, z};
    const double ax[3] = {x + kAxisLength, y, z}, ay[3] = {x, y + kAxisLength, z}, az[3] = {x, y, z + kAxisLength};
    DrawLine3D(o, ax, 0x0000FF, 1);
    DrawLine3D(o, ay, 0x00FF00, 1);
    DrawLine3D(o, az, 0xFF0000, 1);
}

void OpenGLLumenor::DrawSprite3D(int sprite, double x, double y, double z, double size) {
    if (!GraphicsAvailable()) return;
    Number tw = 0, th = 0, iw = 0, ih = 0;
    GetSpriteTextureSize(sprite, tw, th);
    GetSpriteSize(sprite, iw, ih);
    const float u1 = tw > 0 ? float(iw / tw) : 1.0f, v1 = th > 0 ? float(ih / th) : 1.0f;
    // The camera's right and up vectors are the first two rows of the view rotation.
    const double* v = ViewMatrix().m;
    // Size scales the picture: each pixel spans size / 2 world units, so a 32-pixel item
    // drawn at 0.1 stands 1.6 units high. A slot without a picture draws a square of side size.
    const double hx = iw > 0 ? size * iw / 4 : size / 2, hy = ih > 0 ? size * ih / 4 : size / 2;
    const double r[3] = {v[0] * hx, v[4] * hx, v[8] * hx}, u[3] = {v[1] * hy, v[5] * hy, v[9] * hy};
    const int cull = CullMode();
    SetCullMode(-1);
    BindSpriteTexture(sprite, -1, kModelTextureVariant);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3d(x - r[0] - u[0], y - r[1] - u[1], z - r[2] - u[2]);
    glTexCoord2f(u1, 0);
    glVertex3d(x + r[0] - u[0], y + r[1] - u[1], z + r[2] - u[2]);
    glTexCoord2f(u1, v1);
    glVertex3d(x + r[0] + u[0], y + r[1] + u[1], z + r[2] + u[2]);
    glTexCoord2f(0, v1);
    glVertex3d(x - r[0] + u[0], y - r[1] + u[1], z - r[2] + u[2]);
    glEnd();
    RestoreTextures();
    SetCullMode(cull);
}

void OpenGLLumenor::Print3D(const StrValue& text, double x, double y, double z) {
    if (!GraphicsAvailable()) return;
    double sx, sy;
    if (!WorldToScreen(x, y, z, sx, sy)) return;
    const Viewport& vp = CurrentViewport();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, vp.w, -vp.h, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    PrintText(text, sx - vp.x, sy - vp.y);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    RestoreTextures();
}

void OpenGLLumenor::ClearDepth() {
    if (!GraphicsAvailable()) return;
    glClear(GL_DEPTH_BUFFER_BIT);
}

void OpenGLLumenor::Make2D() {
    texture_[0] = texture_[1] = -1;
    lightingOn_ = false;
    const ViewportRect r = GetViewportRect();
    SetViewport(r.x, r.y, r.width, r.height);
}
