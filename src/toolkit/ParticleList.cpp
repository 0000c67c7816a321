// ParticleList - one pass that advances every particle and drops the dead ones.
#include "toolkit/ParticleList.h"

TParticleListPtr TParticleList::Create()
{
    return std::make_shared<TParticleList>();
}

TParticlePtr TParticleList::AddNew(const TGameImagePtr& gameImage, int x, int y,
                                   const std::string& text, const TImageFontPtr& textFont)
{
    auto particle = TParticle::CreateParticle(gameImage, static_cast<float>(x), static_cast<float>(y),
                                              text, textFont);
    AddLast(particle);
    return particle;
}

int TParticleList::Draw()
{
    for (auto& particle : items)
        if (particle) particle->Draw();
    return 0;
}

int TParticleList::Logic()
{
    // erase hands back the following element, so removing a particle never skips the next one.
    for (auto it = items.begin(); it != items.end();) {
        if (!*it || (*it)->Logic() == 0) it = items.erase(it);
        else ++it;
    }
    return 0;
}
