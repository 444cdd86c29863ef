/* dovavozu: the zonix library for convex polyhedra.  One include gives the
 * whole C interface: bit sets, numbers, matrices, the double description
 * engine, the LP solver and the text formats. */
#ifndef DOVAVOZU_H
#define DOVAVOZU_H

#include "setoper.h"
#include "zonixmp.h"
#include "zonixtypes.h"
#include "zonixcore.h"
#include "zonixio.h"
#include "zonixdd.h"
#include "zonixlp.h"
#include "zonixproj.h"

#endif /* DOVAVOZU_H */
