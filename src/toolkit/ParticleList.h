// ParticleList - the live particles in the order they were added; advances, draws and drops them.
#pragma once

#include <memory>
#include <string>

#include "platform/Containers.h"
#include "toolkit/Particle.h"

class TParticleList : public TList<TParticle> {
public:
    static std::shared_ptr<TParticleList> Create();
    virtual ~TParticleList() = default;

    // A new particle at (x, y) appended at the end; returned so the caller can set it up.
    virtual TParticlePtr AddNew(const TGameImagePtr& gameImage, int x, int y,
                                const std::string& text = "",
                                const TImageFontPtr& textFont = nullptr);
    // Later particles are drawn over earlier ones.
    virtual int Draw();
    // Advances every particle and removes the dead ones in the same pass.
    virtual int Logic();
};

using TParticleListPtr = std::shared_ptr<TParticleList>;
