#include "LinkLines.h"

#include <GL/gl.h>

void LinkLinesDraw(const std::vector<LinkLine> &lines)
{
    if (lines.empty())
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glLineWidth(2.0f);
    for (const LinkLine &line : lines) {
        LinkStyle style = LinkLinesStyle(line.kind);
        glColor4f(style.red, style.green, style.blue, 1.0f);
        glEnable(GL_LINE_STIPPLE);
        glLineStipple(style.factor, style.pattern);
        glBegin(GL_LINES);
        glVertex3f(line.from.x, line.from.y, line.from.z);
        glVertex3f(line.to.x, line.to.y, line.to.z);
        glEnd();
        // The arrowhead is always solid, so that it reads at any pattern.
        glDisable(GL_LINE_STIPPLE);
        Vector left, right;
        if (line.kind != kLinkBroken && LinkLinesArrowhead(line, &left, &right)) {
            glBegin(GL_LINE_STRIP);
            glVertex3f(left.x, left.y, left.z);
            glVertex3f(line.to.x, line.to.y, line.to.z);
            glVertex3f(right.x, right.y, right.z);
            glEnd();
        }
    }
    glPopAttrib();
    glColor4f(1, 1, 1, 1);
}
