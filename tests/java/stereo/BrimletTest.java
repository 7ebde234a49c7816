package stereo;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeFalse;
import static org.junit.jupiter.api.Assumptions.assumeTrue;
import static stereo.TestFrames.COLS;
import static stereo.TestFrames.HSV;
import static stereo.TestFrames.PLANE;
import static stereo.TestFrames.RGB;
import static stereo.TestFrames.ROWS;
import static stereo.TestFrames.SNAPSHOT;
import static stereo.TestFrames.at;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.stream.Stream;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

/** Calls in this JVM against the simulated camera's built-in scene. */
class BrimletTest {
    private static final Path LOGGING = Path.of("logging");
    private static final Path SNAPSHOT_FILE = LOGGING.resolve("pic0.ppm");

    private final brimlet camera = new brimlet();

    @BeforeEach
    void emptyLoggingFolder() throws IOException {
        Files.createDirectories(LOGGING);
        try (Stream<Path> files = Files.list(LOGGING)) {
            for (Path file : (Iterable<Path>) files::iterator) {
                Files.delete(file);
            }
        }
    }

    private int[] grab(boolean snapshot, int mode) {
        return camera.cppGrabImage(new int[] {0, 0}, snapshot, mode);
    }

    @Test
    void returnsThreePlanesOfTheVariantsSize() {
        assertEquals(3 * ROWS * COLS, grab(false, RGB).length);
        assertEquals(3 * ROWS * COLS, grab(false, HSV).length);
    }

    @Test
    void builtInScenesTopLeftPatchComesBackExactly() {
        // The simulated camera's default scene starts with a patch stored as
        // blue 10, green 20, red 30; its centre is far from any patch edge.
        int[] planes = grab(false, RGB);
        int row = ROWS / 6;
        int col = COLS / 8;
        assertEquals(30, at(planes, 0, row, col));
        assertEquals(20, at(planes, 1, row, col));
        assertEquals(10, at(planes, 2, row, col));
    }

    @Test
    void modeOneIsRgbAndEveryOtherModeIsHsv() {
        int[] rgb = grab(false, RGB);
        int[] expected = new int[rgb.length];
        for (int i = 0; i < PLANE; i++) {
            int[] hsv = TestFrames.hsv(rgb[i], rgb[PLANE + i], rgb[2 * PLANE + i]);
            expected[i] = hsv[0];
            expected[PLANE + i] = hsv[1];
            expected[2 * PLANE + i] = hsv[2];
        }
        for (int mode : new int[] {0, 2, -1, Integer.MIN_VALUE, Integer.MAX_VALUE}) {
            assertArrayEquals(expected, grab(false, mode), "mode " + mode);
        }
        assertArrayEquals(rgb, grab(false, RGB));
    }

    @Test
    void theResolutionArgumentChangesNothing() {
        int[] reference = grab(false, RGB);
        int[][] arguments = {null, {}, {7}, {0, 0}, {480, 640}, new int[100_000]};
        for (int[] argument : arguments) {
            assertArrayEquals(reference, camera.cppGrabImage(argument, false, RGB),
                    argument == null ? "null" : "length " + argument.length);
        }
    }

    @Test
    void snapshotHoldsTheReturnedRgbPlanes() throws IOException {
        assumeTrue(SNAPSHOT, "variant without snapshots");
        int[] planes = grab(true, RGB);
        TestFrames.Ppm ppm = TestFrames.readPpm(SNAPSHOT_FILE);
        assertEquals(COLS, ppm.width());
        assertEquals(ROWS, ppm.height());
        for (int row = 0; row < ROWS; row++) {
            for (int col = 0; col < COLS; col++) {
                for (int c = 0; c < 3; c++) {
                    assertEquals(at(planes, c, row, col), ppm.channel(row, col, c), "at " + row + "," + col);
                }
            }
        }
        assertArrayEquals(planes, grab(false, RGB), "the snapshot changes nothing in the result");
    }

    @Test
    void everySnapshotRewritesTheSameOneFile() throws IOException {
        assumeTrue(SNAPSHOT, "variant without snapshots");
        grab(true, RGB);
        grab(true, HSV);
        try (Stream<Path> files = Files.list(LOGGING)) {
            assertEquals(List.of(SNAPSHOT_FILE), files.toList());
        }
    }

    @Test
    void noSnapshotIsWrittenWhenNotAskedFor() throws IOException {
        grab(false, RGB);
        assertFalse(Files.exists(SNAPSHOT_FILE));
    }

    @Test
    void aVariantWithoutSnapshotsIgnoresTheFlag() throws IOException {
        assumeFalse(SNAPSHOT, "variant with snapshots");
        assertEquals(3 * ROWS * COLS, grab(true, RGB).length);
        try (Stream<Path> files = Files.list(LOGGING)) {
            assertEquals(0, files.count());
        }
    }

    @Test
    void concurrentCallsEachGetWhatALoneCallGets() throws Exception {
        int[] rgb = grab(false, RGB);
        int[] hsv = grab(false, HSV);
        ExecutorService pool = Executors.newFixedThreadPool(4);
        try {
            List<Future<Boolean>> results = new ArrayList<>();
            for (int t = 0; t < 4; t++) {
                int mode = t % 2 == 0 ? RGB : HSV;
                results.add(pool.submit(() -> {
                    boolean same = true;
                    for (int call = 0; call < 5; call++) {
                        same &= java.util.Arrays.equals(mode == RGB ? rgb : hsv, new brimlet().cppGrabImage(null, false, mode));
                    }
                    return same;
                }));
            }
            for (Future<Boolean> result : results) {
                assertTrue(result.get());
            }
        } finally {
            pool.shutdownNow();
        }
    }
}
