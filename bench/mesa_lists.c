/* Does Mesa keep memory for display lists after they and their context are
   gone? A surfaceless EGL context compiles LISTS lists of KIND (strip: one
   triangle strip; sphere: a 30 x 30 GLU sphere; loop: one line loop), calls
   them PICKS times, in selection mode if SELECT is 1, deletes them and the
   context, and exits; LeakSanitizer then reports what the driver kept. None of
   the viewer's code is involved. On Debian 13 (Mesa 25.0.7), a sphere list
   loses 360 bytes whether it is called or not; on Debian 12 (Mesa 22.3.6) the
   same, and a context that used selection mode loses 1 MB more.

     gcc -fsanitize=address -g -o mesa_lists bench/mesa_lists.c -lEGL -lGL -lGLU
     ASAN_OPTIONS=detect_leaks=1 ./mesa_lists 11 1 5 sphere

   In a fresh Debian 13 root (as root):
     .ci/debian-root.sh trixie 'apt-get update -qq && apt-get install -y -qq
       gcc libegl-dev libglu1-mesa-dev libegl-mesa0 libgl1-mesa-dri >/dev/null &&
       gcc -fsanitize=address -o /tmp/m bench/mesa_lists.c -lEGL -lGL -lGLU &&
       ASAN_OPTIONS=detect_leaks=1 /tmp/m 11 0 0 sphere'
   usage: mesa_lists LISTS SELECT PICKS KIND */
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
int main(int argc, char** argv) {
    int lists = argc > 1 ? atoi(argv[1]) : 11, select = argc > 2 ? atoi(argv[2]) : 1;
    int picks = argc > 3 ? atoi(argv[3]) : 5;
    const char* kind = argc > 4 ? argv[4] : "strip";
    PFNEGLGETPLATFORMDISPLAYEXTPROC get =
        (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    EGLDisplay d = get(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, NULL);
    EGLint major, minor, n;
    if (!eglInitialize(d, &major, &minor)) return 2;
    eglBindAPI(EGL_OPENGL_API);
    const EGLint a[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                        EGL_NONE};
    EGLConfig c;
    if (!eglChooseConfig(d, a, &c, 1, &n) || n < 1) return 3;
    const EGLint s[] = {EGL_WIDTH, 64, EGL_HEIGHT, 64, EGL_NONE};
    EGLSurface surf = eglCreatePbufferSurface(d, c, s);
    EGLContext ctx = eglCreateContext(d, c, EGL_NO_CONTEXT, NULL);
    if (!eglMakeCurrent(d, surf, surf, ctx)) return 4;
    GLuint base = glGenLists(lists);
    GLUquadric* q = gluNewQuadric();
    gluQuadricNormals(q, GLU_SMOOTH);
    gluQuadricTexture(q, GL_TRUE);
    for (int i = 0; i < lists; ++i) {
        glNewList(base + i, GL_COMPILE);
        if (strcmp(kind, "sphere") == 0) {
            gluSphere(q, 0.5, 30, 30);
        } else if (strcmp(kind, "loop") == 0) {
            glBegin(GL_LINE_LOOP);
            for (int k = 0; k < 360; ++k) glVertex3f(k / 360.0f - 0.5f, 0, (k & 1) * 0.1f);
            glEnd();
        } else {
            glBegin(GL_TRIANGLE_STRIP);
            for (int k = 0; k < 200; ++k) {
                glNormal3f(0, 0, 1);
                glTexCoord2f(k / 200.0f, 0);
                glVertex3f(k / 200.0f - 0.5f, (k & 1) * 0.1f, 0);
            }
            glEnd();
        }
        glEndList();
    }
    gluDeleteQuadric(q);
    GLuint buffer[512];
    for (int pick = 0; pick < picks; ++pick) {
        if (select) {
            glSelectBuffer(512, buffer);
            glRenderMode(GL_SELECT);
            glInitNames();
            glPushName(0);
        }
        for (int i = 0; i < lists; ++i) {
            if (select) glLoadName(i + 1);
            glCallList(base + i);
        }
        if (select) printf("hits %d\n", glRenderMode(GL_RENDER));
    }
    glDeleteLists(base, lists);
    eglMakeCurrent(d, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(d, ctx);
    eglDestroySurface(d, surf);
    /* The display stays initialised, as in the tests, so the driver stays
       loaded and the leak report can name it. */
    return 0;
}
